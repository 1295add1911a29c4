// Helpers for driving the simulated effect compiler the way the D3DX stand-in does.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fx/fx_model.h"

namespace fxtest {

// Include files served from memory; tracks every buffer handed out until it comes back.
class MemoryIncludes {
 public:
  std::map<std::string, std::string> files;
  std::vector<std::pair<bool, std::string>> requests;  // (system, name) of every open
  int opens = 0;
  int closes = 0;
  int badCloses = 0;  // buffers closed twice or never handed out

  simfx::IncludeResolver Resolver() {
    simfx::IncludeResolver resolver;
    resolver.open = [this](bool system, const std::string& name, const void*& data, std::uint32_t& bytes) {
      requests.emplace_back(system, name);
      auto found = files.find(name);
      if (found == files.end()) return false;
      char* buffer = new char[found->second.size() + 1];
      std::memcpy(buffer, found->second.data(), found->second.size());
      live_.insert(buffer);
      data = buffer;
      bytes = static_cast<std::uint32_t>(found->second.size());
      ++opens;
      return true;
    };
    resolver.close = [this](const void* data) {
      ++closes;
      if (live_.erase(data) == 0) {
        ++badCloses;
        return;
      }
      delete[] static_cast<const char*>(data);
    };
    return resolver;
  }

  bool AllReturned() const { return live_.empty() && badCloses == 0 && opens == closes; }

  ~MemoryIncludes() {
    for (const void* data : live_) delete[] static_cast<const char*>(data);
  }

 private:
  std::set<const void*> live_;
};

using Macros = std::vector<std::pair<std::string, std::string>>;

inline simfx::CompileResult CompileText(const std::string& source, MemoryIncludes* includes = nullptr,
                                        const Macros& macros = {},
                                        const std::string& fileName = "FX\\test.fx") {
  if (!includes) return simfx::Compile(source, fileName, macros, nullptr);
  simfx::IncludeResolver resolver = includes->Resolver();
  return simfx::Compile(source, fileName, macros, &resolver);
}

inline const simfx::Variable* FindParam(const simfx::Effect& effect, const std::string& name) {
  for (const simfx::Variable& v : effect.parameters)
    if (v.name == name) return &v;
  return nullptr;
}

inline const simfx::Variable* FindAnnotation(const simfx::Variable& variable, const std::string& name) {
  for (const simfx::Variable& a : variable.annotations)
    if (a.name == name) return &a;
  return nullptr;
}

inline std::vector<float> Floats(const simfx::Variable& v) {
  std::vector<float> out(v.data.size() / 4);
  if (!out.empty()) std::memcpy(out.data(), v.data.data(), out.size() * 4);
  return out;
}

inline std::vector<std::int32_t> Ints(const simfx::Variable& v) {
  std::vector<std::int32_t> out(v.data.size() / 4);
  if (!out.empty()) std::memcpy(out.data(), v.data.data(), out.size() * 4);
  return out;
}

// Value of a parameter's first component, for one-line checks.
inline float FloatOf(const simfx::Effect& effect, const std::string& name) {
  const simfx::Variable* v = FindParam(effect, name);
  return v && v->data.size() >= 4 ? Floats(*v)[0] : -12345.0f;
}

inline std::int32_t IntOf(const simfx::Effect& effect, const std::string& name) {
  const simfx::Variable* v = FindParam(effect, name);
  return v && v->data.size() >= 4 ? Ints(*v)[0] : -12345;
}

}  // namespace fxtest
