#pragma once
// Certificates made in memory for HTTPS tests: a CA, two server certificates signed by it (one
// for another host name, one for 127.0.0.1), and a self-signed certificate.
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <string>

struct TestCertificates {
  TestCertificates();
  ~TestCertificates();
  TestCertificates(const TestCertificates&) = delete;
  TestCertificates& operator=(const TestCertificates&) = delete;

  // Writes the CA certificate as PEM into `path`.
  bool WriteCaPem(const std::string& path) const;

  EVP_PKEY* caKey = nullptr;
  X509* caCert = nullptr;
  EVP_PKEY* serverKey = nullptr;
  X509* serverCert = nullptr;  // for "other.example", issued by the CA
  EVP_PKEY* localKey = nullptr;
  X509* localCert = nullptr;  // for 127.0.0.1, issued by the CA
  EVP_PKEY* selfSignedKey = nullptr;
  X509* selfSignedCert = nullptr;  // for "127.0.0.1", issued by itself
};
