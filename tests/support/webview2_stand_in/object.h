// The objects the stand-in hands out: a C vtable from WebView2.h, a real
// reference count, and the interfaces QueryInterface answers.
#pragma once

#include <windows.h>

#include <WebView2.h>

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "record.h"

namespace standin {

struct Object {
  const void* vtable;  // first: the interface pointer points here
  const char* name = "";
  const char* const* slots = nullptr;
  std::size_t slotCount = 0;
  std::vector<const IID*> answers;  // besides IUnknown
  LONG references = 1;              // the creator's
  bool released = false;            // reached zero once; never freed
  int serial = 0;
  void (*onFinalRelease)(Object*) = nullptr;
};

// Checks made on every entry: the UI thread, a live object. Records the call
// with its fields.
template <typename... Fields>
void Enter(Object* self, const char* method, const Fields&... fields) {
  if (!OnUiThread()) Record("breach", "call from another thread", method);
  if (self != nullptr && self->released) Record("breach", "call on a released object", method);
  Record("call", method, fields...);
}

void Register(Object* object, const char* name, std::initializer_list<const IID*> answers);
ULONG AddRefObject(Object* self);
ULONG ReleaseObject(Object* self);
void ReportLiveObjects();
std::string IidName(REFIID iid);

// A stub for slot N: records the method as unexpected and returns E_NOTIMPL.
// Every slot returns HRESULT except the three of IUnknown, which are always
// filled in; on x64 the caller cleans the stack, so ignoring arguments is safe.
void RecordUnexpected(Object* self, std::size_t slot);

template <std::size_t Slot>
HRESULT STDMETHODCALLTYPE Stub(Object* self) {
  RecordUnexpected(self, Slot);
  return E_NOTIMPL;
}

inline constexpr std::size_t kMaxSlots = 160;

template <std::size_t... Slots>
constexpr auto MakeStubs(std::index_sequence<Slots...>) {
  using Function = HRESULT(STDMETHODCALLTYPE*)(Object*);
  return std::array<Function, sizeof...(Slots)>{&Stub<Slots>...};
}

HRESULT STDMETHODCALLTYPE QueryInterfaceOf(Object* self, REFIID iid, void** out);
ULONG STDMETHODCALLTYPE AddRefOf(Object* self);
ULONG STDMETHODCALLTYPE ReleaseOf(Object* self);

// A vtable whose every slot is a stub, with IUnknown filled in.
template <typename Vtbl>
Vtbl StubTable() {
  static_assert(sizeof(Vtbl) % sizeof(void*) == 0, "a vtable is a list of pointers");
  constexpr std::size_t count = sizeof(Vtbl) / sizeof(void*);
  static_assert(count <= kMaxSlots, "raise kMaxSlots");
  static const auto stubs = MakeStubs(std::make_index_sequence<kMaxSlots>());
  Vtbl table;
  auto** slots = reinterpret_cast<void**>(&table);
  for (std::size_t i = 0; i < count; ++i) slots[i] = reinterpret_cast<void*>(stubs[i]);
  table.QueryInterface = reinterpret_cast<decltype(table.QueryInterface)>(&QueryInterfaceOf);
  table.AddRef = reinterpret_cast<decltype(table.AddRef)>(&AddRefOf);
  table.Release = reinterpret_cast<decltype(table.Release)>(&ReleaseOf);
  return table;
}

template <typename Vtbl>
constexpr std::size_t SlotCount() {
  return sizeof(Vtbl) / sizeof(void*);
}

// The object behind an interface pointer the stand-in handed out.
template <typename T, typename Interface>
T* Self(Interface* pointer) {
  return reinterpret_cast<T*>(pointer);
}

// A string handed out the way the runtime does: the receiver frees it with
// CoTaskMemFree.
LPWSTR HandOut(const std::wstring& text);

}  // namespace standin
