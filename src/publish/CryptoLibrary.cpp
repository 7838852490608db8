#include "CryptoLibrary.h"

#include <openssl/opensslv.h>

#include <optional>

#include "SharedLibrary.h"

namespace {

// The library of the version whose headers the program was built with.
std::string LibraryName() {
    return "libcrypto.so." + std::to_string(OPENSSL_SHLIB_VERSION);
}

struct Loaded {
    std::optional<CryptoLibrary> functions;
    std::string error;
};

template <typename Function>
bool Resolve(const CSharedLibrary& library, const char* name, Function& function,
             std::string& error) {
    function = reinterpret_cast<Function>(library.Symbol(name, error));
    return function != nullptr;
}

Loaded LoadCrypto() {
    Loaded loaded;
    const CSharedLibrary library = CSharedLibrary::Load(LibraryName(), loaded.error);
    if (!library.IsLoaded()) return loaded;
    CryptoLibrary f{};
    std::string& e = loaded.error;
    if (Resolve(library, "EVP_sha256", f.sha256, e) && Resolve(library, "EVP_sha1", f.sha1, e) &&
        Resolve(library, "EVP_Digest", f.digest, e) &&
        Resolve(library, "EVP_MD_CTX_new", f.newContext, e) &&
        Resolve(library, "EVP_MD_CTX_free", f.freeContext, e) &&
        Resolve(library, "EVP_DigestInit_ex", f.digestInit, e) &&
        Resolve(library, "EVP_DigestUpdate", f.digestUpdate, e) &&
        Resolve(library, "EVP_DigestFinal_ex", f.digestFinal, e) &&
        Resolve(library, "EVP_EncodeBlock", f.encodeBlock, e) &&
        Resolve(library, "EVP_DecodeBlock", f.decodeBlock, e) &&
        Resolve(library, "HMAC", f.hmac, e))
        loaded.functions = f;
    return loaded;
}

}  // namespace

const CryptoLibrary* Crypto(std::string* error) {
    static const Loaded loaded = LoadCrypto();
    if (!loaded.functions && error != nullptr) *error = LibraryName() + ": " + loaded.error;
    return loaded.functions ? &*loaded.functions : nullptr;
}
