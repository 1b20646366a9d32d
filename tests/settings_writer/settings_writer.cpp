// Writes the settings file the way the program does, value by value through ProfileStore, in
// rounds that never end: the test of crashes kills it at random moments and looks at what is
// left. Usage: settings_writer FILE GENERATION. It writes one byte to standard output just
// before its first write, and ends with status 1 if a write fails.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/core/profile_store.h"
#include "settings_rounds.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: settings_writer FILE GENERATION\n");
    return 2;
  }
  const int generation = std::atoi(argv[2]);
  platform::ProfileStore store(argv[1]);
  const std::vector<settings_rounds::Key> keys = settings_rounds::KeysInWriteOrder();
  if (::write(STDOUT_FILENO, "R", 1) != 1) return 2;
  for (int round = 0; round < settings_rounds::kRoundsPerGeneration; ++round) {
    const settings_rounds::Stamp stamp{generation, round};
    for (const settings_rounds::Key& key : keys) {
      const bool written = key.text ? store.WriteString(settings::kSection, key.name, settings_rounds::TextValue(stamp))
                                    : store.WriteInt(settings::kSection, key.name, settings_rounds::StampNumber(stamp));
      if (!written) return 1;
    }
  }
  return 0;
}
