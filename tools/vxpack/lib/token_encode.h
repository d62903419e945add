// Scrambling of secret tokens so that the launcher's token decoder gives the plain text back.
#pragma once
#include <cstdint>
#include <string>

namespace vxpack {

// Encodes plain (at most 240 bytes) with random padding, key and filler drawn from seed. Every
// seed gives a different text that decodes to the same plain text.
std::string EncodeToken(const std::string& plain, uint32_t seed);

// True when text has the form of an encoded token (hex letters, check byte, lengths that fit);
// such a token decodes to its plain text, any other decodes to a random number.
bool TokenIsIntact(const std::string& text);

// A seed taken from the system's random source and the clock.
uint32_t FreshSeed();

}  // namespace vxpack
