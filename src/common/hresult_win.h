#pragma once

#include <windows.h>

#include <string_view>

namespace vantor {

// Every HRESULT the program examines goes through here: a failure is written
// to Vantor.log with its code, the system's text and what is done next, and
// the caller learns whether to go on.
bool Succeeded(HRESULT result, std::string_view what, std::string_view whatIsDoneNext);

}  // namespace vantor
