// What reg says and asks: UTF-8 on the standard streams, yes/no questions,
// and the messages for registry failures.
#pragma once
#include <windows.h>

#include <string>

// Writes `text` to standard output or standard error as UTF-8.
void Out(const std::u16string &text);
void Err(const std::u16string &text);

// `text` as standard output should show it: with its control characters made
// visible (VisibleControls) when that is a terminal, which would act on them
// (a name could move the cursor or hide what follows); unchanged when it is a
// pipe or a file, which keep the bytes.
std::u16string Shown(const std::u16string &text);

// Writes `question` and a space to standard output and reads lines from
// standard input until one answers yes (Y, YES) or no (N, NO), ignoring case.
// Returns true for yes; end of input, as when nothing is piped in, is no.
bool Confirm(const std::u16string &question);

// "ERROR: " and the system's message for a registry failure, then '\n'.
std::u16string ErrorMessage(LSTATUS status);

// The exit status of a confirmation the user declined, after saying so.
int Declined();
