// One line per check of a Windows test program: "PASS: what" or
// "FAIL: what (detail)", and a summary that gives the exit code.
#pragma once

#include <cstdio>
#include <string>

inline int passedChecks = 0;
inline int failedChecks = 0;

inline bool Check(bool condition, const std::string& what, const std::string& detail = "") {
  condition ? ++passedChecks : ++failedChecks;
  if (condition) {
    std::printf("PASS: %s\n", what.c_str());
  } else {
    std::printf("FAIL: %s%s%s%s\n", what.c_str(), detail.empty() ? "" : " (", detail.c_str(),
                detail.empty() ? "" : ")");
  }
  std::fflush(stdout);
  return condition;
}

inline int Summary() {
  std::printf("%d passed, %d failed\n", passedChecks, failedChecks);
  return failedChecks == 0 ? 0 : 1;
}
