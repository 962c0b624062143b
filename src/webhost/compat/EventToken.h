// WebView2.h includes "EventToken.h"; MinGW-w64 ships the same header in lower case.
#pragma once
#include <eventtoken.h>
