#include "reg_console.h"

#include <unistd.h>

#include <cstdio>

#include "visible_text.h"
#include "wide_text.h"

namespace {

void Write(std::FILE *stream, const std::u16string &text) {
  std::string bytes = tools::Narrow(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

std::u16string Upper(const std::u16string &text) {
  std::u16string out;
  for (char16_t c : text)
    if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n')
      out += c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
  return out;
}

}  // namespace

void Out(const std::u16string &text) { Write(stdout, text); }

void Err(const std::u16string &text) { Write(stderr, text); }

std::u16string Shown(const std::u16string &text) {
  static const bool terminal = ::isatty(STDOUT_FILENO) != 0;
  return terminal ? tools::VisibleControls(text) : text;
}

bool Confirm(const std::u16string &question) {
  for (;;) {
    Out(question + u" ");
    std::string line;
    int c;
    while ((c = std::getchar()) != EOF && c != '\n') line += static_cast<char>(c);
    if (c == EOF && line.empty()) {
      Out(u"\n");
      return false;
    }
    // Input that is not typed at a terminal is not echoed; show it so that the output reads as a dialogue.
    if (!::isatty(STDIN_FILENO)) Out(tools::Widen(line) + u"\n");
    std::u16string answer = Upper(tools::Widen(line));
    if (answer == u"Y" || answer == u"YES") return true;
    if (answer == u"N" || answer == u"NO" || c == EOF) return false;
  }
}

std::u16string ErrorMessage(LSTATUS status) {
  std::u16string text;
  switch (status) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      text = u"The system was unable to find the specified registry key or value.";
      break;
    case ERROR_ACCESS_DENIED:
      text = u"Access is denied.";
      break;
    case ERROR_KEY_DELETED:
      text = u"Illegal operation attempted on a registry key that has been marked for deletion.";
      break;
    case ERROR_INVALID_PARAMETER:
    case ERROR_BAD_PATHNAME:
      text = u"The parameter is incorrect.";
      break;
    case ERROR_OUTOFMEMORY:
    case ERROR_NOT_ENOUGH_MEMORY:
      text = u"Not enough memory resources are available to complete this operation.";
      break;
    case ERROR_REGISTRY_IO_FAILED:
      text = u"An I/O operation initiated by the registry failed unrecoverably.";
      break;
    case ERROR_BUSY:
      text = u"The registry file is in use by another program.";
      break;
    case ERROR_CHILD_MUST_BE_VOLATILE:
      text = u"Cannot create a stable subkey under a volatile parent key.";
      break;
    default:
      text = u"The registry operation failed with error " + tools::Widen(std::to_string(status)) + u".";
      break;
  }
  return u"ERROR: " + text + u"\n";
}

int Declined() {
  Out(u"The operation was canceled by the user.\n");
  return 1;
}
