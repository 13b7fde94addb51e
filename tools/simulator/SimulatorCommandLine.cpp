#include "simulator/SimulatorCommandLine.h"

#include "simulator/SystemError.h"
#include "simulator/TesterSimulator.h"

#include <charconv>
#include <initializer_list>

namespace orvel::sim {
namespace {

constexpr std::string_view Help = R"(orvel-tester-sim: a simulated brake tester on a new pseudo-terminal.

It prints the device to open as the program's serial port, shows every request and
answer as it happens, and runs until Ctrl+C.

Options:
  --trailer N=TEXT      Trailer ID of slot N (1 to 32), at most 16 characters
  --vehicle N=TEXT      Vehicle ID of slot N (1 to 32), at most 16 characters
  --company TEXT        company name, at most 16 characters
  --serial TEXT         serial number in the identification answer (4 characters)
  --second-pair TEXT    the two characters of the identity's second word
  --details TEXT        the rest of the instrument data (at most 52 characters)
  --pacing MODE         9600: bytes leave at the line's speed (default); immediate: at once
  --follow-up FRAME     how the request to address 0107 is answered: short (a 29-byte
                        frame, the default), long (a 77-byte frame laid out like the
                        identification answer) or never
  --follow-up-after MS  answer the request to address 0107 this long after it, on its
                        own: later requests are answered meanwhile, so its answer may
                        come after several of theirs (--delay follow-up instead holds
                        up the answers behind it)
  --silent-follow-up    the same as --follow-up never
  --no-address-echo     start every answer's data field with 0000 instead of the
                        request's address in four hex digits (0190, 0107, 01C2, FF08...)
  --delay KIND=MS       the time from a request's last byte to its answer's first byte,
                        for one kind of request; MIN-MAX draws it anew for each request
                        (the jitter); follow-up=never is --follow-up never. Kinds:
                        identify, follow-up (address 0107), read, write. Default 0.
  --timing-seed N       makes the drawn delays repeat (default 1)
  --fault RULE          inject a fault; may be given several times
  --random-faults RULE  inject faults at random
  --help                show this text

A fault RULE is KIND or KIND:KEY=VALUE,KEY=VALUE...
  Kinds: nul, lower-case-checksum, wrong-checksum, wrong-start, wrong-end,
         noise-before, noise-after, two-answers, late, pieces, no-answer,
         from-resend, hang-up, and
    duplicate-later  the answer, then a copy of it after delay=MS while later
                     requests are answered meanwhile
    held-for-next    the answer held back until the next request arrives, and
                     sent just before that request's own answer
    request-lost     the request never reaches the tester: a write is not
                     stored and nothing is answered (no-answer stores the write
                     and loses only the answer)
  Which requests (neither: every request):
    line=N         the N-th request line received, counting re-sends and garbage
    address=HHHH   requests to this hexadecimal address
    times=N        how many requests the fault hits (default 1, 0 = no limit)
  Settings:
    delay=MS       late: how long the answer is held back; duplicate-later: how
                   long after the answer its copy follows (default 1500)
    pieces=N       pieces: how many pieces (default 3); 29 for a short answer
                   (77 for a long one) trickles it a byte at a time
    gap=MS         pieces: pause between pieces (default 150)
    noise=N        noise-before, noise-after: how many bytes (default 3)
    nul=POS        nul: byte position in the frame, from 1 (default 4)
    resends=N      from-resend: answered from the N-th re-send on (default 1)

A random-faults RULE is PROBABILITY or PROBABILITY:KEY=VALUE,... with the settings
above and
    seed=N         makes a run repeatable (default 1)
    kinds=A+B+...  the kinds to draw from (default: all but hang-up)

Examples:
  orvel-tester-sim --company "Acme Brakes" --trailer 1=TR-0001 --serial 2143
  orvel-tester-sim --fault wrong-checksum:address=FF08 --fault late:line=5,delay=2500
  orvel-tester-sim --random-faults 0.2:seed=7,kinds=pieces+no-answer
  orvel-tester-sim --delay follow-up=330-600 --delay read=40-100 --delay write=40-100
  orvel-tester-sim --follow-up long --follow-up-after 2000 --fault duplicate-later:line=4,delay=300
  orvel-tester-sim --fault pieces:address=FF00,pieces=29,gap=20
)";

// The message is appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict) inside
// `"text" + std::string(...)`, which inserts in front of the string, wherever it is inlined.
[[noreturn]] void Refuse(std::initializer_list<std::string_view> problem) {
  std::string message = "orvel-tester-sim: ";
  for (const std::string_view piece : problem) {
    message.append(piece);
  }
  throw ESimulator(message.append(" (see --help)"));
}

std::size_t ParseCount(std::string_view text, std::string_view what, int base = 10) {
  std::size_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    Refuse({"\"", text, "\" is not a valid ", what});
  }
  return value;
}

FaultKind ParseKind(std::string_view name) {
  const auto kind = FaultKindFromName(name);
  if (!kind) {
    Refuse({"unknown fault kind \"", name, "\""});
  }
  return *kind;
}

std::pair<std::string_view, std::string_view> SplitAt(std::string_view text, char separator) {
  const std::size_t at = text.find(separator);
  if (at == std::string_view::npos) {
    return {text, {}};
  }
  return {text.substr(0, at), text.substr(at + 1)};
}

bool ApplySetting(FaultSettings& settings, std::string_view key, std::string_view value) {
  if (key == "delay") {
    settings.delay = std::chrono::milliseconds(ParseCount(value, "delay in milliseconds"));
  } else if (key == "pieces") {
    settings.pieces = ParseCount(value, "number of pieces");
  } else if (key == "gap") {
    settings.gap = std::chrono::milliseconds(ParseCount(value, "gap in milliseconds"));
  } else if (key == "noise") {
    settings.noiseBytes = ParseCount(value, "number of noise bytes");
  } else if (key == "nul") {
    settings.nulPosition = ParseCount(value, "NUL byte position");
  } else if (key == "resends") {
    settings.resendsBeforeAnswer = ParseCount(value, "number of re-sends");
  } else {
    return false;
  }
  return true;
}

// Calls `take(key, value)` for each KEY=VALUE of a comma-separated list.
template <typename Take>
void ForEachSetting(std::string_view list, Take take) {
  while (!list.empty()) {
    const auto [item, rest] = SplitAt(list, ',');
    const auto [key, value] = SplitAt(item, '=');
    if (value.empty()) {
      Refuse({"\"", item, "\" should read KEY=VALUE"});
    }
    if (!take(key, value)) {
      Refuse({"unknown fault setting \"", key, "\""});
    }
    list = rest;
  }
}

FaultRule ParseFault(std::string_view text) {
  const auto [kindName, settings] = SplitAt(text, ':');
  FaultRule rule;
  rule.kind = ParseKind(kindName);
  ForEachSetting(settings, [&rule](std::string_view key, std::string_view value) {
    if (key == "line") {
      rule.onLine = ParseCount(value, "request line number");
    } else if (key == "address") {
      const std::size_t address = ParseCount(value, "hexadecimal address", 16);
      if (address > 0xFFFF) {
        Refuse({"address ", value, " has more than four hexadecimal digits"});
      }
      rule.onAddress = static_cast<std::uint16_t>(address);
    } else if (key == "times") {
      rule.times = ParseCount(value, "number of times");
    } else {
      return ApplySetting(rule.settings, key, value);
    }
    return true;
  });
  CheckFaultSettings(rule.settings);
  return rule;
}

double ParseProbability(std::string_view text) {
  double probability = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), probability);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || probability < 0.0 ||
      probability > 1.0) {
    Refuse({"\"", text, "\" is not a probability between 0 and 1"});
  }
  return probability;
}

RandomFaults ParseRandomFaults(std::string_view text) {
  const auto [probability, settings] = SplitAt(text, ':');
  RandomFaults random;
  random.probability = ParseProbability(probability);
  ForEachSetting(settings, [&random](std::string_view key, std::string_view value) {
    if (key == "seed") {
      random.seed = ParseCount(value, "seed");
    } else if (key == "kinds") {
      for (std::string_view names = value; !names.empty();) {
        const auto [name, rest] = SplitAt(names, '+');
        random.kinds.push_back(ParseKind(name));
        names = rest;
      }
    } else {
      return ApplySetting(random.settings, key, value);
    }
    return true;
  });
  CheckFaultSettings(random.settings);
  return random;
}

std::pair<std::size_t, std::string> ParseSlotText(std::string_view argument) {
  const auto [number, text] = SplitAt(argument, '=');
  const std::size_t slot = ParseCount(number, "slot number");
  if (slot < 1 || slot > TesterSlotCount || argument.find('=') == std::string_view::npos) {
    Refuse({"\"", argument, "\" should read N=TEXT with N from 1 to 32"});
  }
  return {slot - 1, std::string(text)};
}

// KIND=MS, KIND=MIN-MAX or follow-up=never.
void ParseDelay(SimulatorSetup& setup, std::string_view argument) {
  const auto [kindName, value] = SplitAt(argument, '=');
  const auto kind = RequestKindFromName(kindName);
  if (!kind || value.empty()) {
    Refuse(
        {"\"", argument, "\" should read KIND=MS or KIND=MIN-MAX with KIND one of identify, follow-up, read, write"});
  }
  if (*kind == RequestKind::FollowUp && value == "never") {
    setup.followUpFrame = FollowUpFrame::Never;
    return;
  }
  const auto [least, most] = SplitAt(value, '-');
  AnswerDelay& delay = setup.timing.For(*kind);
  delay.least = std::chrono::milliseconds(ParseCount(least, "delay in milliseconds"));
  delay.most = most.empty() ? delay.least : std::chrono::milliseconds(ParseCount(most, "delay in milliseconds"));
  if (delay.least > delay.most) {
    Refuse({"the delay range \"", value, "\" runs backwards"});
  }
}

FollowUpFrame ParseFollowUpFrame(std::string_view frame) {
  if (frame == "short") {
    return FollowUpFrame::Short;
  }
  if (frame == "long") {
    return FollowUpFrame::Long;
  }
  if (frame != "never") {
    Refuse({"follow-up answer \"", frame, "\" is none of short, long, never"});
  }
  return FollowUpFrame::Never;
}

Pacing ParsePacing(std::string_view mode) {
  if (mode == "9600") {
    return Pacing::Baud9600;
  }
  if (mode != "immediate") {
    Refuse({"pacing \"", mode, "\" is neither 9600 nor immediate"});
  }
  return Pacing::Immediate;
}

}  // namespace

void SimulatorSetup::ApplyTo(TesterSimulator& simulator) const {
  for (const auto& [slot, text] : trailerIds) {
    simulator.SetTrailerId(slot, text);
  }
  for (const auto& [slot, text] : vehicleIds) {
    simulator.SetVehicleId(slot, text);
  }
  if (companyName) {
    simulator.SetCompanyName(*companyName);
  }
  simulator.SetIdentity(identity);
  simulator.SetPacing(pacing);
  simulator.SetFollowUpFrame(followUpFrame);
  simulator.SetFollowUpAnsweredAfter(followUpAfter);
  simulator.SetEchoesAddress(echoesAddress);
  simulator.SetAnswerTiming(timing);
  for (const FaultRule& rule : faultRules) {
    simulator.AddFaultRule(rule);
  }
  if (randomFaults) {
    simulator.SetRandomFaults(*randomFaults);
  }
}

SimulatorSetup ParseCommandLine(const std::vector<std::string_view>& arguments) {
  SimulatorSetup setup;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string_view option = arguments[index];
    if (option == "--help") {
      setup.helpRequested = true;
      continue;
    }
    if (option == "--silent-follow-up") {
      setup.followUpFrame = FollowUpFrame::Never;
      continue;
    }
    if (option == "--no-address-echo") {
      setup.echoesAddress = false;
      continue;
    }
    if (index + 1 >= arguments.size()) {
      if (option.starts_with("--")) {
        Refuse({option, " needs a value"});
      }
      Refuse({"unexpected argument \"", option, "\""});
    }
    const std::string_view value = arguments[++index];
    if (option == "--trailer") {
      setup.trailerIds.push_back(ParseSlotText(value));
    } else if (option == "--vehicle") {
      setup.vehicleIds.push_back(ParseSlotText(value));
    } else if (option == "--company") {
      setup.companyName = std::string(value);
    } else if (option == "--serial") {
      setup.identity.serial = std::string(value);
    } else if (option == "--second-pair") {
      setup.identity.secondPair = std::string(value);
    } else if (option == "--details") {
      setup.identity.details = std::string(value);
    } else if (option == "--pacing") {
      setup.pacing = ParsePacing(value);
    } else if (option == "--follow-up") {
      setup.followUpFrame = ParseFollowUpFrame(value);
    } else if (option == "--follow-up-after") {
      setup.followUpAfter = std::chrono::milliseconds(ParseCount(value, "delay in milliseconds"));
    } else if (option == "--delay") {
      ParseDelay(setup, value);
    } else if (option == "--timing-seed") {
      setup.timing.seed = ParseCount(value, "seed");
    } else if (option == "--fault") {
      setup.faultRules.push_back(ParseFault(value));
    } else if (option == "--random-faults") {
      setup.randomFaults = ParseRandomFaults(value);
    } else {
      Refuse({"unknown option \"", option, "\""});
    }
  }
  return setup;
}

std::string_view CommandLineHelp() { return Help; }

}  // namespace orvel::sim
