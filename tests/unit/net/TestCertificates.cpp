#include "TestCertificates.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>

namespace {

void AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  if (!extension) std::abort();
  X509_add_ext(cert, extension, -1);
  X509_EXTENSION_free(extension);
}

X509* MakeCertificate(EVP_PKEY* key, const char* commonName, X509* issuer, EVP_PKEY* issuerKey,
                      long serial, bool isCa, const char* altName) {
  X509* cert = X509_new();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 24L * 3600);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509* signer = issuer ? issuer : cert;
  X509_set_issuer_name(cert, X509_get_subject_name(signer));
  if (isCa) {
    AddExtension(cert, signer, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    AddExtension(cert, signer, NID_basic_constraints, "CA:FALSE");
  }
  if (altName) AddExtension(cert, signer, NID_subject_alt_name, altName);
  if (!X509_sign(cert, issuerKey ? issuerKey : key, EVP_sha256())) std::abort();
  return cert;
}

}  // namespace

TestCertificates::TestCertificates() {
  caKey = EVP_EC_gen("P-256");
  serverKey = EVP_EC_gen("P-256");
  localKey = EVP_EC_gen("P-256");
  selfSignedKey = EVP_EC_gen("P-256");
  if (!caKey || !serverKey || !localKey || !selfSignedKey) std::abort();
  caCert = MakeCertificate(caKey, "Launcher Test CA", nullptr, nullptr, 1, true, nullptr);
  serverCert =
      MakeCertificate(serverKey, "other.example", caCert, caKey, 2, false, "DNS:other.example");
  localCert = MakeCertificate(localKey, "127.0.0.1", caCert, caKey, 4, false, "IP:127.0.0.1");
  selfSignedCert =
      MakeCertificate(selfSignedKey, "127.0.0.1", nullptr, nullptr, 3, false, "IP:127.0.0.1");
}

TestCertificates::~TestCertificates() {
  X509_free(caCert);
  X509_free(serverCert);
  X509_free(localCert);
  X509_free(selfSignedCert);
  EVP_PKEY_free(caKey);
  EVP_PKEY_free(serverKey);
  EVP_PKEY_free(localKey);
  EVP_PKEY_free(selfSignedKey);
}

bool TestCertificates::WriteCaPem(const std::string& path) const {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (!file) return false;
  const bool ok = PEM_write_X509(file, caCert) == 1;
  return std::fclose(file) == 0 && ok;
}
