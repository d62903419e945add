// Fuzz targets: each source under targets/ defines one with VX_FUZZ_TARGET(name). The fuzz build
// links one target with fuzz_main.cpp into a libFuzzer program; the native tests link them all
// and replay each target's corpus (corpus/<name>/) through them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vxfuzz {

using TargetFunction = void (*)(const uint8_t* data, size_t size);

struct Target {
  const char* name;
  TargetFunction run;
};

// Every target linked into this program, in the order they registered.
std::vector<Target>& Targets();

struct Registrar {
  Registrar(const char* name, TargetFunction run) { Targets().push_back(Target{name, run}); }
};

// A property of the code under test does not hold. The fuzz program reports it and aborts (a
// finding); the corpus replay records it as a test failure and goes on.
void Broken(const char* target, const std::string& what);

}  // namespace vxfuzz

#define VX_FUZZ_TARGET(name)                                                 \
  static void FuzzTarget_##name(const uint8_t* data, size_t size);           \
  static const vxfuzz::Registrar fuzzRegistrar_##name(#name, FuzzTarget_##name); \
  static void FuzzTarget_##name(const uint8_t* data, size_t size)

// Checks a property inside a target; what is built only when it fails.
#define VX_FUZZ_CHECK(target, cond, what)   \
  do {                                      \
    if (!(cond)) vxfuzz::Broken(target, what); \
  } while (0)
