# Writes, for each vtable named in WANTED (space-separated), the list of its
# methods in slot order as "Interface::Method", read from the SDK header's
# DECLSPEC_XFGVIRT(Interface, Method) lines, and SlotNames<Vtbl> to find it.
BEGIN {
  n = split(WANTED, names, " ")
  for (i = 1; i <= n; i++) want[names[i]] = 1
  print "// Generated from WebView2.h at build time; do not edit."
  print "#pragma once"
  print "#include <cstddef>"
  print "template <typename Vtbl> struct SlotNames;"
}
/typedef struct [A-Za-z0-9_]+Vtbl[ \t\r]*$/ {
  name = $3
  sub(/[ \t\r]+$/, "", name)
  if (name in want) {
    inside = 1
    print "inline constexpr const char* kSlots_" name "[] = {"
  }
  next
}
inside && /DECLSPEC_XFGVIRT\(/ {
  text = $0
  sub(/.*DECLSPEC_XFGVIRT\(/, "", text)
  sub(/\).*/, "", text)
  split(text, parts, /,[ \t]*/)
  printf "    \"%s::%s\",\n", parts[1], parts[2]
  next
}
inside && /^[ \t]*}[ \t]*[A-Za-z0-9_]+Vtbl;/ {
  print "};"
  print "template <> struct SlotNames<" name "> {"
  print "  static constexpr const char* const* names = kSlots_" name ";"
  print "  static constexpr std::size_t count = sizeof(kSlots_" name ") / sizeof(const char*);"
  print "};"
  inside = 0
}
