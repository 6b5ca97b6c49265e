#include "reg_commands.h"
#include "reg_console.h"

namespace {

const char16_t kGeneral[] =
    u"\nREG Operation [Parameter List]\n\n"
    u"  Operation  [ QUERY   | ADD    | DELETE | EXPORT | IMPORT ]\n\n"
    u"Return Code:\n\n"
    u"  0 - Successful\n"
    u"  1 - Failed\n\n"
    u"For help on a specific operation type:\n\n"
    u"  REG Operation /?   (or /h)\n\n"
    u"Every operation also takes --registry FILE, the registry database to use\n"
    u"(default: TOVIN_REGISTRY_FILE, else $XDG_STATE_HOME/tovincopyshl/registry.db).\n";

const char16_t kKeyName[] =
    u"  KeyName    ROOTKEY\\SubKey\n"
    u"    ROOTKEY  [ HKLM | HKCU | HKCR | HKU | HKCC ] or the long forms (HKEY_LOCAL_MACHINE, ...)\n"
    u"    SubKey   The full name of a registry key under the selected ROOTKEY.\n\n";

const char16_t kQuery[] =
    u"\nREG QUERY KeyName [/v [ValueName] | /ve] [/s] [/f Data [/k] [/d] [/c] [/e]] [/t Type]\n\n"
    u"  /v       Queries the value ValueName.\n"
    u"  /ve      Queries the default value (the value with an empty name).\n"
    u"  /s       Queries all subkeys and values recursively.\n"
    u"  /f       The data or pattern to search for (* and ? are wildcards).\n"
    u"  /k       Searches key names only.   /d  Searches data only.\n"
    u"  /c       The search is case-sensitive.   /e  Returns exact matches only.\n"
    u"  /t       The value type to search for: REG_SZ, REG_MULTI_SZ, REG_EXPAND_SZ,\n"
    u"           REG_DWORD, REG_QWORD, REG_BINARY, REG_NONE.\n\n"
    u"Examples:\n\n"
    u"  REG QUERY HKLM\\Software\\Tovin /v Version\n"
    u"  REG QUERY HKCU\\Software /f tovin /s\n";

const char16_t kAdd[] =
    u"\nREG ADD KeyName [/v ValueName | /ve] [/t Type] [/s Separator] [/d Data] [/f]\n\n"
    u"  /v       The value name to add under the selected key.\n"
    u"  /ve      Adds the default value (the value with an empty name), as does\n"
    u"           leaving out /v: alone, KeyName then gets an empty REG_SZ default.\n"
    u"  /t       The type: REG_SZ (default), REG_MULTI_SZ, REG_EXPAND_SZ, REG_DWORD,\n"
    u"           REG_DWORD_LITTLE_ENDIAN, REG_DWORD_BIG_ENDIAN (both stored as\n"
    u"           REG_DWORD is), REG_QWORD, REG_BINARY, REG_NONE.\n"
    u"  /s       The one character that separates the strings of REG_MULTI_SZ data\n"
    u"           (default: \\0).\n"
    u"  /d       The data: text (REG_NONE too); a decimal or 0x hex number for the\n"
    u"           dword types (required) and REG_QWORD (default 0); hex digits for\n"
    u"           REG_BINARY.\n"
    u"  /f       Overwrites an existing value without asking.\n\n"
    u"Examples:\n\n"
    u"  REG ADD HKCU\\Software\\Tovin /v Count /t REG_DWORD /d 0x2a\n"
    u"  REG ADD HKCU\\Software\\Tovin /v List /t REG_MULTI_SZ /d a\\0b\n";

const char16_t kDelete[] =
    u"\nREG DELETE KeyName [/v ValueName | /ve | /va] [/f]\n\n"
    u"  /v       The value to delete.\n"
    u"  /ve      Deletes the default value.\n"
    u"  /va      Deletes all values under the key (its subkeys stay).\n"
    u"  /f       Deletes without asking.\n"
    u"  Without /v, /ve or /va the key is deleted with everything below it.\n\n"
    u"Examples:\n\n"
    u"  REG DELETE HKCU\\Software\\Tovin /v Count /f\n";

const char16_t kExport[] =
    u"\nREG EXPORT KeyName FileName [/y]\n\n"
    u"  FileName The file to write: a regedit file (version 5.00, UTF-16) holding\n"
    u"           the key and everything below it.\n"
    u"  /y       Overwrites an existing file without asking.\n\n"
    u"Examples:\n\n"
    u"  REG EXPORT HKCU\\Software\\Tovin tovin.reg\n";

const char16_t kImport[] =
    u"\nREG IMPORT FileName\n\n"
    u"  FileName A regedit file (version 5.00 or REGEDIT4; UTF-16 or UTF-8) to apply.\n"
    u"           Lines that do not parse are skipped and reported; when a change\n"
    u"           fails, the changes made before it are undone.\n\n"
    u"Examples:\n\n"
    u"  REG IMPORT tovin.reg\n";

}  // namespace

int ShowUsage(RegOperation operation) {
  switch (operation) {
    case RegOperation::Query:
      Out(std::u16string(kQuery) + u"\n" + kKeyName);
      break;
    case RegOperation::Add:
      Out(std::u16string(kAdd) + u"\n" + kKeyName);
      break;
    case RegOperation::Delete:
      Out(std::u16string(kDelete) + u"\n" + kKeyName);
      break;
    case RegOperation::Export:
      Out(std::u16string(kExport) + u"\n" + kKeyName);
      break;
    case RegOperation::Import:
      Out(kImport);
      break;
    case RegOperation::Help:
      Out(kGeneral);
      break;
  }
  return 0;
}
