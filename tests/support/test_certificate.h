// A certificate made for a test's own HTTPS server on loopback.
#pragma once

#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace vantor::test {

// A self-signed certificate for localhost and 127.0.0.1, written as PEM files.
// Returns the certificate in DER form, for a system store.
inline std::string MakeCertificate(const std::filesystem::path& certFile,
                                   const std::filesystem::path& keyFile) {
  EVP_PKEY* key = EVP_RSA_gen(2048);
  X509* cert = X509_new();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>("localhost"), -1, -1, 0);
  X509_set_issuer_name(cert, name);
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
  X509_EXTENSION* names =
      X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, "DNS:localhost,IP:127.0.0.1");
  X509_add_ext(cert, names, -1);
  X509_EXTENSION_free(names);
  X509_sign(cert, key, EVP_sha256());
  FILE* out = fopen(certFile.string().c_str(), "wb");
  PEM_write_X509(out, cert);
  fclose(out);
  out = fopen(keyFile.string().c_str(), "wb");
  PEM_write_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr);
  fclose(out);
  unsigned char* der = nullptr;
  const int length = i2d_X509(cert, &der);
  std::string encoded(reinterpret_cast<const char*>(der), length > 0 ? length : 0);
  OPENSSL_free(der);
  X509_free(cert);
  EVP_PKEY_free(key);
  return encoded;
}

}  // namespace vantor::test
