#pragma once

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <string>

// The few functions of OpenSSL's libcrypto that publishing uses (file digests, key fingerprints,
// hashed known_hosts, base64). The library is loaded the first time one is needed rather than
// linked: only a publish needs it, and its relocations and page faults cost every start of both
// programs a millisecond or more. The transfer module links it, so by the time a publish hashes
// anything it is in memory already.
struct CryptoLibrary {
    decltype(&EVP_sha256) sha256;
    decltype(&EVP_sha1) sha1;
    decltype(&EVP_Digest) digest;
    decltype(&EVP_MD_CTX_new) newContext;
    decltype(&EVP_MD_CTX_free) freeContext;
    decltype(&EVP_DigestInit_ex) digestInit;
    decltype(&EVP_DigestUpdate) digestUpdate;
    decltype(&EVP_DigestFinal_ex) digestFinal;
    decltype(&EVP_EncodeBlock) encodeBlock;
    decltype(&EVP_DecodeBlock) decodeBlock;
    decltype(&HMAC) hmac;
};

// The library's functions, loaded by the first call from any thread; nullptr when the library
// or one of them cannot be found, `error` (when given) then saying why.
const CryptoLibrary* Crypto(std::string* error = nullptr);
