#include "object.h"

#include <cstdio>
#include <mutex>

namespace standin {

namespace {

std::vector<Object*>& Objects() {
  static auto* objects = new std::vector<Object*>();  // read at process exit
  return *objects;
}

struct KnownIid {
  const IID* iid;
  const char* name;
};

}  // namespace

void Register(Object* object, const char* name, std::initializer_list<const IID*> answers) {
  object->name = name;
  object->answers = answers;
  object->serial = static_cast<int>(Objects().size()) + 1;
  Objects().push_back(object);
}

std::string IidName(REFIID iid) {
  static const KnownIid kKnown[] = {
      {&IID_IUnknown, "IUnknown"},
      {&IID_ICoreWebView2Environment, "ICoreWebView2Environment"},
      {&IID_ICoreWebView2Controller, "ICoreWebView2Controller"},
      {&IID_ICoreWebView2Controller2, "ICoreWebView2Controller2"},
      {&IID_ICoreWebView2, "ICoreWebView2"},
      {&IID_ICoreWebView2_2, "ICoreWebView2_2"},
      {&IID_ICoreWebView2_3, "ICoreWebView2_3"},
      {&IID_ICoreWebView2_22, "ICoreWebView2_22"},
      {&IID_ICoreWebView2Settings, "ICoreWebView2Settings"},
      {&IID_ICoreWebView2WebResourceRequestedEventArgs,
       "ICoreWebView2WebResourceRequestedEventArgs"},
      {&IID_ICoreWebView2WebResourceRequestedEventArgs2,
       "ICoreWebView2WebResourceRequestedEventArgs2"},
  };
  for (const KnownIid& known : kKnown) {
    if (IsEqualIID(iid, *known.iid)) return known.name;
  }
  char text[64];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-...}", iid.Data1, iid.Data2, iid.Data3);
  return text;
}

HRESULT STDMETHODCALLTYPE QueryInterfaceOf(Object* self, REFIID iid, void** out) {
  if (!OnUiThread()) Record("breach", "call from another thread", "IUnknown::QueryInterface");
  if (self->released) Record("breach", "call on a released object", "IUnknown::QueryInterface");
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  bool answered = IsEqualIID(iid, IID_IUnknown);
  for (const IID* known : self->answers) answered = answered || IsEqualIID(iid, *known);
  Record("call", std::string(self->name) + "::QueryInterface", IidName(iid),
         answered ? "S_OK" : "E_NOINTERFACE");
  if (!answered) return E_NOINTERFACE;
  AddRefObject(self);
  *out = self;
  return S_OK;
}

ULONG AddRefObject(Object* self) {
  if (self->released) Record("breach", "AddRef on a released object", self->name);
  return static_cast<ULONG>(++self->references);
}

ULONG ReleaseObject(Object* self) {
  if (self->references <= 0) {
    Record("breach", "released past zero", self->name, std::to_string(self->serial));
    return 0;
  }
  const LONG left = --self->references;
  if (left == 0) {
    self->released = true;
    if (self->onFinalRelease) self->onFinalRelease(self);
  }
  return static_cast<ULONG>(left);
}

ULONG STDMETHODCALLTYPE AddRefOf(Object* self) {
  if (!OnUiThread()) Record("breach", "call from another thread", "IUnknown::AddRef");
  return AddRefObject(self);
}

ULONG STDMETHODCALLTYPE ReleaseOf(Object* self) {
  if (!OnUiThread()) Record("breach", "call from another thread", "IUnknown::Release");
  return ReleaseObject(self);
}

void RecordUnexpected(Object* self, std::size_t slot) {
  const char* method = slot < self->slotCount ? self->slots[slot] : "(beyond the vtable)";
  if (!OnUiThread()) Record("breach", "call from another thread", method);
  Record("unexpected", method, "E_NOTIMPL");
}

void ReportLiveObjects() {
  for (const Object* object : Objects()) {
    if (object->references > 0) {
      Record("leak", object->name, std::to_string(object->serial),
             "references=" + std::to_string(object->references));
    }
  }
}

LPWSTR HandOut(const std::wstring& text) {
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
  if (copy != nullptr) wcscpy(copy, text.c_str());
  return copy;
}

}  // namespace standin
