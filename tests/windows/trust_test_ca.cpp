// Helper program of the test environment: adds the test certificate authority to the current
// user's Root store, so that WinINet in processes started afterwards trusts the test servers'
// certificates. scripts/test-env runs it inside the tests' private Wine prefix only; it is
// never meant for a real machine's store.
//
// Usage: trust_test_ca CA_DER_FILE   (exit status 0 when the authority is in the store)

#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

struct StoreCloser {
    void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trust_test_ca CA_DER_FILE\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string der{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const std::unique_ptr<void, StoreCloser> store(
        CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root"));
    if (der.empty() || !store) {
        std::fprintf(stderr, "trust_test_ca: cannot read %s or open the Root store\n", argv[1]);
        return 1;
    }
    // Replacing an existing copy keeps the store at one entry however often this runs.
    if (!CertAddEncodedCertificateToStore(
            store.get(), X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
            static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr)) {
        std::fprintf(stderr, "trust_test_ca: the certificate was refused (error %lu)\n",
                     GetLastError());
        return 1;
    }
    return 0;
}
