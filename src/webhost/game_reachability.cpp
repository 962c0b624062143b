#include "webhost/game_reachability.h"

#include <algorithm>
#include <iterator>

#include "common/constants.h"

namespace vantor {

namespace {

// COREWEBVIEW2_WEB_ERROR_STATUS, in its order.
constexpr const char* kStatusNames[] = {"UNKNOWN",
                                        "CERTIFICATE_COMMON_NAME_IS_INCORRECT",
                                        "CERTIFICATE_EXPIRED",
                                        "CLIENT_CERTIFICATE_CONTAINS_ERRORS",
                                        "CERTIFICATE_REVOKED",
                                        "CERTIFICATE_IS_INVALID",
                                        "SERVER_UNREACHABLE",
                                        "TIMEOUT",
                                        "ERROR_HTTP_INVALID_SERVER_RESPONSE",
                                        "CONNECTION_ABORTED",
                                        "CONNECTION_RESET",
                                        "DISCONNECTED",
                                        "CANNOT_CONNECT",
                                        "HOST_NAME_NOT_RESOLVED",
                                        "OPERATION_CANCELED",
                                        "REDIRECT_FAILED",
                                        "UNEXPECTED_ERROR",
                                        "VALID_AUTHENTICATION_CREDENTIALS_REQUIRED",
                                        "VALID_PROXY_AUTHENTICATION_REQUIRED"};

constexpr int kPausesMilliseconds[] = {2000, 4000, 8000, 16000, 32000, 60000};

const wchar_t* ReasonWords(UnreachableReason reason) {
  switch (reason) {
    case UnreachableReason::NoNetwork:
      return L"This PC has no network connection.";
    case UnreachableReason::NameNotFound:
      return L"The game's address cannot be found. The network may not be ready yet.";
    case UnreachableReason::NotSecure:
      return L"The connection to the game is not secure, so Vantor does not open it. A "
             L"network login page or a wrong clock can cause this.";
    case UnreachableReason::ServerSilent:
      break;
  }
  return L"The game's server does not answer.";
}

}  // namespace

std::string WebErrorStatusName(int status) {
  if (status >= 0 && status < static_cast<int>(std::size(kStatusNames))) {
    return kStatusNames[status];
  }
  return "status " + std::to_string(status);
}

std::optional<UnreachableReason> GameUnreachableReason(int status) {
  switch (status) {
    case 11:  // DISCONNECTED
      return UnreachableReason::NoNetwork;
    case 13:  // HOST_NAME_NOT_RESOLVED
      return UnreachableReason::NameNotFound;
    case 1:  // the certificate errors: never bypassed
    case 2:
    case 3:
    case 4:
    case 5:
      return UnreachableReason::NotSecure;
    case 0:   // UNKNOWN
    case 6:   // SERVER_UNREACHABLE
    case 7:   // TIMEOUT
    case 8:   // ERROR_HTTP_INVALID_SERVER_RESPONSE
    case 9:   // CONNECTION_ABORTED
    case 10:  // CONNECTION_RESET
    case 12:  // CANNOT_CONNECT
    case 16:  // UNEXPECTED_ERROR
      return UnreachableReason::ServerSilent;
    default:  // cancelled, a failed redirect, credentials asked for
      return std::nullopt;
  }
}

std::wstring UnreachablePage(UnreachableReason reason, int secondsUntilRetry) {
  const std::wstring seconds = std::to_wstring(std::max(secondsUntilRetry, 0));
  return LR"(<!DOCTYPE html><html><head><meta charset="utf-8"><title>Vantor</title>)"
         LR"(<meta http-equiv="Content-Security-Policy" content="default-src 'none'; )"
         LR"(style-src 'unsafe-inline'; script-src 'unsafe-inline'">)"
         LR"(<style>html,body{height:100%;margin:0}body{background:#15121c;color:#e8e4f0;)"
         LR"(font:16px 'Segoe UI',sans-serif;display:flex;align-items:center;)"
         LR"(justify-content:center}main{max-width:34em;text-align:center}h1{color:#a78bfa;)"
         LR"(font-size:1.6em;font-weight:600}button{margin-top:1.2em;padding:.6em 2em;)"
         LR"(font:inherit;color:#fff;background:#7c3aed;border:0;border-radius:4px;)"
         LR"(cursor:pointer}button:hover{background:#8b5cf6}</style></head><body><main>)"
         LR"(<h1>Vantor cannot reach the game</h1><p>)" +
         std::wstring(ReasonWords(reason)) +
         LR"(</p><p id="next">Vantor tries again in <span id="s">)" + seconds +
         LR"(</span> s.</p><button id="try">Try now</button></main><script>)"
         LR"(let s=)" +
         seconds +
         LR"(;const n=document.getElementById('s'),p=document.getElementById('next');)"
         LR"(const t=setInterval(()=>{s--;if(s>0){n.textContent=s}else{clearInterval(t);)"
         LR"(p.textContent='Trying again\u2026'}},1000);)"
         LR"(document.getElementById('try').onclick=()=>{p.textContent='Trying again\u2026';)"
         LR"(location.href=')" +
         std::wstring(kGameOrigin) + LR"(/'};</script></body></html>)";
}

int GameRetry::Failed() {
  const int pause =
      kPausesMilliseconds[std::min<size_t>(failures_, std::size(kPausesMilliseconds) - 1)];
  ++failures_;
  waiting_ = ownPage_ = true;
  return pause;
}

bool GameRetry::Loaded() {
  const bool wasUnreachable = failures_ > 0;
  failures_ = 0;
  waiting_ = ownPage_ = false;
  return wasUnreachable;
}

bool GameRetry::TryNow() {
  if (!waiting_) return false;
  waiting_ = false;
  return true;
}

}  // namespace vantor
