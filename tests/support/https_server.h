// An HTTPS server on loopback in the test's own process, with a certificate
// made for it; the test adds its routes, then starts it.
#pragma once

#include <httplib.h>

#include <memory>
#include <string>
#include <thread>

#include "support/temp_folder.h"
#include "support/test_certificate.h"

namespace vantor::test {

class LocalHttpsServer {
 public:
  LocalHttpsServer()
      : certificateDer_(MakeCertificate(folder_ / "cert.pem", folder_ / "key.pem")),
        server_((folder_ / "cert.pem").string().c_str(), (folder_ / "key.pem").string().c_str()) {}
  ~LocalHttpsServer() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }
  LocalHttpsServer(const LocalHttpsServer&) = delete;
  LocalHttpsServer& operator=(const LocalHttpsServer&) = delete;

  httplib::SSLServer& Routes() { return server_; }
  // Listens on 127.0.0.1 on a free port; returns once it serves.
  void Start() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
  }
  int Port() const { return port_; }
  std::string CertificateFile() const { return (folder_ / "cert.pem").string(); }
  const std::string& CertificateDer() const { return certificateDer_; }

 private:
  TempFolder folder_;
  std::string certificateDer_;
  httplib::SSLServer server_;
  std::thread thread_;
  int port_ = 0;
};

}  // namespace vantor::test
