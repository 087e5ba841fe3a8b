#pragma once
// SHA-256 of a stream of bytes, as the update service states it for a package: 64 lower-case
// hexadecimal digits.

#include <memory>
#include <string>
#include <string_view>

namespace orvel::update {

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(std::string_view bytes);
    // The digest of everything given so far; ends the hash.
    std::string HexDigest();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace orvel::update
