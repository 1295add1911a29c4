// Levelled log lines to the debugger output, the console and the log file.
#pragma once

#include <cstdio>

// C99 formats (%zu and the like) on every target: MinGW builds format through its ANSI stdio.
#define VANTORIX_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))

// The open log file, or null. Opened by LoadConfig, closed at detach.
extern std::FILE* logStream;

void LogInfo(const char* format, ...) VANTORIX_PRINTF(1, 2);
void LogWarn(const char* format, ...) VANTORIX_PRINTF(1, 2);
void LogError(const char* format, ...) VANTORIX_PRINTF(1, 2);
void LogDebug(const char* format, ...) VANTORIX_PRINTF(1, 2);

// Builds one line (stamp, tag, message, newline) and sends it to every output.
void WriteLogLine(const char* tag, const char* message);

// Closes the log file; later lines reach the debugger output and the console only.
void CloseLogFile();
