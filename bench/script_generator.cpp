#include "bench/script_generator.h"

#include <cstdio>

namespace bench {

std::u16string GenerateScript(int keys) {
  std::string text = "HKCU\r\n{\r\n\tNoRemove Software\r\n\t{\r\n\t\t'Tovin Bench'\r\n\t\t{\r\n";
  char entry[256];
  for (int i = 0; i < keys; ++i) {
    std::snprintf(entry, sizeof entry,
                  "\t\t\tForceRemove Key%07d = s 'Entry %d'\r\n\t\t\t{\r\n"
                  "\t\t\t\tval Path = s '%%MODULE%%'\r\n\t\t\t\tval Count = d '%d'\r\n"
                  "\t\t\t\tval Data = b '%08X'\r\n\t\t\t}\r\n",
                  i, i, i, static_cast<unsigned>(i) * 2654435761u);
    text += entry;
  }
  text += "\t\t}\r\n\t}\r\n}\r\n";
  return std::u16string(text.begin(), text.end());
}

}  // namespace bench
