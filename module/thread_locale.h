// Switches the calling thread's locale for the lifetime of the object.
#pragma once
#include <windows.h>

class CThreadLocaleSwitch {
 public:
  // Remembers the thread's locale and sets `locale`.
  explicit CThreadLocaleSwitch(LCID locale) : saved_(GetThreadLocale()) { SetThreadLocale(locale); }
  // Puts the remembered locale back, on every path out of the scope.
  ~CThreadLocaleSwitch() { SetThreadLocale(saved_); }
  CThreadLocaleSwitch(const CThreadLocaleSwitch &) = delete;
  CThreadLocaleSwitch &operator=(const CThreadLocaleSwitch &) = delete;

 private:
  LCID saved_;
};
