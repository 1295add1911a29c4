#include <new>
#include <utility>

#include "fx/diagnostics.h"
#include "fx/effect_parser.h"
#include "fx/fx_model.h"
#include "fx/preprocessor.h"

namespace simfx {

namespace {

CompileResult CompileUnchecked(const std::string& source, const std::string& fileName,
                               const std::vector<std::pair<std::string, std::string>>& macros,
                               const IncludeResolver* resolver) {
  CompileResult result;
  Diagnostics diagnostics;
  Preprocessor preprocessor(diagnostics, resolver);
  for (const auto& [name, definition] : macros) preprocessor.Predefine(name, definition);
  std::vector<Token> tokens;
  result.ok = preprocessor.Run(source, fileName, tokens) &&
              ParseEffect(std::move(tokens), diagnostics, result.effect) && !diagnostics.Failed();
  result.messages = diagnostics.Messages();
  if (!result.ok) result.effect = Effect();
  return result;
}

CompileResult FailedResult(const std::string& fileName, const char* text) {
  CompileResult result;
  try {
    result.messages = fileName + "(1,1): error " + code::kLimit + ": " + text + "\n";
  } catch (...) {
    // Not even the message fits in memory; an empty failed result still tells the caller.
  }
  return result;
}

}  // namespace

CompileResult Compile(const std::string& source, const std::string& fileName,
                      const std::vector<std::pair<std::string, std::string>>& macros,
                      const IncludeResolver* resolver) {
  try {
    return CompileUnchecked(source, fileName, macros, resolver);
  } catch (const std::bad_alloc&) {
    return FailedResult(fileName, "out of memory");
  } catch (...) {
    // The include resolver is the caller's code and may throw anything.
    return FailedResult(fileName, "internal error while compiling");
  }
}

}  // namespace simfx
