#include "common/state.hpp"

#include "app/ports.hpp"
#include "export/printer_port.hpp"

namespace pelicard {
namespace {

struct UtcZone : TimeZonePort {
    std::int64_t UtcOffsetAt(std::int64_t) override { return 0; }
};

WindowPort gNoWindow;
UtcZone gUtc;
DialogsPort gNoDialogs;
RegistryPort gNoRegistry;
ProcessesPort gNoProcesses;
SoundPort gNoSound;
HelpPort gNoHelp;
PrinterPort gNoPrinter;

}  // namespace

State::State()
    : window(&gNoWindow),
      timeZone(&gUtc),
      dialogs(&gNoDialogs),
      registry(&gNoRegistry),
      processes(&gNoProcesses),
      sound(&gNoSound),
      help(&gNoHelp),
      printer(&gNoPrinter) {}

}  // namespace pelicard
