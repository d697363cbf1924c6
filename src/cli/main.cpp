// stumpwright-cli: the main window's jobs from a shell. Takes one file and
// the options of the window's check boxes, answers questions from --yes or
// --no (or asks on the terminal), prints messages on stderr and reports
// failure in its exit code.
//
// Not for: any decision of its own; MainDialog and the Create command decide
// as in the window.
#include <CLI/CLI.hpp>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/create_command.h"
#include "app/main_dialog.h"
#include "app/program_location.h"
#include "cyclefile/cycle_reader.h"
#include "app/unit_variant_options.h"
#include "platform/scripted_platform.h"
#include "platform/terminal.h"
#include "storage/utf8_path.h"

namespace {

// Exit codes for scripts.
constexpr int kExitCorruptLine = 1;         // a key or job file line over 105 characters
constexpr int kExitNoBaseDictionary = 2;    // CruiseDefault.stp is not beside the program
constexpr int kExitBadChoice = 2;           // a growth-model unit or variant is missing or not offered
constexpr int kExitNotAvailable = 3;        // this conversion is not built yet
constexpr int kExitInputRefused = 4;        // file missing, not valid, or not suited to the options
constexpr int kExitDeclined = 5;            // a question was answered No; nothing was changed
constexpr int kExitUnanswered = 6;          // a question needed --yes or --no; nothing was changed
constexpr int kExitCancelled = 7;           // interrupted; nothing was changed
constexpr int kExitWriteFailed = 8;         // a file could not be made writable or written
constexpr int kExitBadBaseDictionary = 9;   // CruiseDefault.stp could not be read
constexpr int kExitInUse = 10;              // a file is held by another program
constexpr int kExitUsage = 11;              // the command line itself is wrong
constexpr int kExitStructureStopped = 12;   // a structure check stopped the command
constexpr int kExitMalformed = 13;          // --strict: malformed fields or repeated records

constexpr char kExitCodeHelp[] =
    "Exit codes:\n"
    "  0  done\n"
    "  1  a key or job file has a line longer than 105 characters\n"
    "  2  CruiseDefault.stp is not beside the program; or a growth-model unit or variant\n"
    "     is not offered (nothing written) or missing (only the batch file's first line)\n"
    "  3  this conversion is not available yet; nothing was written\n"
    "  4  the file is missing, not valid, or the options do not apply to it;\n"
    "     for a cycle file also: the cycle options chose no cycle\n"
    "  5  a question was answered No; nothing was changed\n"
    "  6  a question needed an answer (--yes or --no) and stdin is not a terminal; nothing was changed\n"
    "  7  cancelled (Ctrl-C, also at a question); nothing was written, existing files are unchanged\n"
    "  8  a file could not be made writable or written; existing files are unchanged\n"
    "  9  CruiseDefault.stp could not be read\n"
    " 10  a file is in use by another program; nothing was changed\n"
    " 11  usage error: an unknown or missing argument, or --yes with --no\n"
    " 12  the structure check stopped: the file is newer than the program, its structure\n"
    "     version is missing or unknown, or its update failed (the file is unchanged, or\n"
    "     at the last version whose step completed)\n"
    " 13  --strict was given and the job file has damaged fields or repeated records; nothing was changed\n"
    "\n"
    "Before every conversion the structure versions of CruiseDefault.stp and of a chosen\n"
    "cruise file are checked; an older file is updated to the current structure after a\n"
    "backup copy (NAME_vVERSION.EXT.BAK) is written to the current directory.";

constexpr char kGroHelp[] =
    "GRO files (--gro): one run is one press of OK in \"Select Units and Variants\", then Exit.\n"
    "  Units are exported in the dialog's order (\" ALL UNITS\" first), each --unit once. The tree data\n"
    "  (.gro), keyword (.kwd), batch (.bat), location (.loc) and stand list (.slf) files are written\n"
    "  beside the cruise file, all or none; the species file GROvariantSpecies.mk4 is read from beside\n"
    "  this program, the proration file IntCruiseTables.lpp from beside the cruise file. A unit or\n"
    "  variant left out is asked for at a terminal; otherwise OK is pressed without it (exit 2).";

// The question that could not be answered, if any.
std::string g_unanswered;
// Set when the cycle options chose no entry of a cycle file's list.
bool g_no_cycles = false;

constexpr char kCycleHelp[] =
    "Cycle files (.wpx): the options choose entries of the list the window's\n"
    "\"Select Cycles to Convert\" dialog shows (Cycle, two blanks, CycleYear):\n"
    "  --all-cycles        every entry\n"
    "  --cycle N[,N...]    entries whose Cycle, blanks removed, is one of N (as text: 1 matches \" 1\", not 01)\n"
    "  --cycle-year Y[,Y...]  entries whose CycleYear is one of Y; with --cycle both must match\n"
    "  --list-cycles       convert nothing; print the count and the list in the dialog's order\n"
    "Without a choice, or when nothing matches, nothing is converted (exit 4).\n";

std::string TrimBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

struct CycleOptions {
  bool all = false;
  bool list = false;
  std::vector<std::string> cycles;
  std::vector<std::string> years;
  bool any() const { return all || list || !cycles.empty() || !years.empty(); }
};

// The dialog's choice made from the options: the matching entries in list
// order, each (Cycle, CycleYear) once. No match is the dialog's OK with
// nothing selected.
sw::platform::CycleSelection ChooseCycles(sw::platform::Platform& platform, const CycleOptions& options,
                                          const sw::platform::CycleSelectRequest& request) {
  std::set<std::string> cycles;
  for (const std::string& c : options.cycles) cycles.insert(TrimBlanks(c));
  const std::set<std::string> years(options.years.begin(), options.years.end());
  std::vector<std::size_t> chosen;
  std::set<std::pair<std::string, std::string>> seen;
  for (std::size_t index : sw::platform::CycleListOrder(request.entries)) {
    const auto& [cycle, year] = request.cycles[index];
    bool match = options.all;
    if (!match && (!cycles.empty() || !years.empty())) {
      match = (cycles.empty() || cycles.count(TrimBlanks(cycle)) > 0) && (years.empty() || years.count(year) > 0);
    }
    if (match && seen.insert(request.cycles[index]).second) chosen.push_back(index);
  }
  if (chosen.empty()) {
    platform.ShowMessage({sw::platform::kNoCyclesSelected, "WARNING", sw::platform::Icon::kExclamation,
                          sw::platform::Buttons::kOk});
    g_no_cycles = true;
    return std::nullopt;
  }
  return chosen;
}

int ListCycles(const std::string& path) {
  std::string text;
  std::string why;
  if (!sw::cyclefile::LoadCycleFile(path, text, why)) {
    std::cerr << "stumpwright-cli: " << path << " cannot be read: " << why << "\n";
    return 4;
  }
  const sw::platform::CycleSelectRequest request = sw::app::CycleSelectRequestOf(text);
  std::cout << "There are " << request.count << " cycles in this file.\n";
  for (std::size_t index : sw::platform::CycleListOrder(request.entries)) std::cout << request.entries[index] << "\n";
  return 0;
}

int ExitCodeOf(sw::app::CreateOutcome outcome) {
  using sw::app::CreateOutcome;
  switch (outcome) {
    case CreateOutcome::kDone: return 0;
    case CreateOutcome::kNothing: return kExitNotAvailable;
    case CreateOutcome::kReadOnlyMedium: return kExitWriteFailed;
    case CreateOutcome::kCorruptLine: return kExitCorruptLine;
    case CreateOutcome::kInputRefused: return kExitInputRefused;
    case CreateOutcome::kDeclined: return kExitDeclined;
    case CreateOutcome::kCancelled: return kExitCancelled;
    case CreateOutcome::kNoBaseDictionary: return kExitBadBaseDictionary;
    case CreateOutcome::kFailed: return kExitWriteFailed;
    case CreateOutcome::kInUse: return kExitInUse;
    case CreateOutcome::kChoiceMissing: return kExitBadChoice;
    case CreateOutcome::kMalformed: return kExitMalformed;
    case CreateOutcome::kStructureStopped: return kExitStructureStopped;
  }
  return kExitWriteFailed;
}

volatile std::sig_atomic_t g_interrupted = 0;

void ConfigureTerminal(sw::platform::ScriptedPlatform& platform, std::optional<sw::platform::Button> answer) {
  platform.SetEcho(&std::cerr);
  const bool interactive = sw::platform::IsTerminal(0) && sw::platform::IsTerminal(2);
  auto terminal = sw::platform::TerminalAnswerer(answer, interactive, std::cin, std::cerr);
  if (answer || interactive) {
    platform.SetAnswerer(terminal);
  } else {
    // No way to ask: refuse the question (No changes nothing) and say which.
    platform.SetAnswerer([](const sw::platform::Message& message) {
      if (message.buttons != sw::platform::Buttons::kYesNo) return sw::platform::Button::kOk;
      if (g_unanswered.empty()) g_unanswered = message.text;
      std::cerr << "stumpwright-cli: cannot answer the question \"" << message.text
                << "\": stdin is not a terminal; give --yes or --no. Nothing was changed.\n";
      return sw::platform::Button::kNo;
    });
  }
  const bool draw_progress = sw::platform::IsTerminal(2);
  platform.SetPopupFactory([draw_progress](const std::string& caption, bool, const std::string&) {
    return std::make_unique<sw::platform::TerminalProgressPopup>(std::cerr, draw_progress, caption);
  });
  sw::platform::InstallInterruptHandler(&g_interrupted);
  platform.SetInterruptFlag(&g_interrupted);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App cli{"Converts a key, cruise, cycle or dump file as the Stumpwright window does."};
  std::string file;
  bool gro = false;
  bool version7 = false;
  bool yes = false;
  bool no = false;
  bool strict = false;
  bool check_only = false;
  cli.add_option("file", file, "The file to convert (.key, .crz, .wpx, .crz.dmp)")->required();
  cli.add_flag("--gro", gro, "Cruise files: write the GRO growth-model input files");
  auto* version7_flag = cli.add_flag("--version7", version7, "Cruise files: write Version 7 job and key files (after the GRO files)");
  // The "Select Units and Variants" dialog: one run presses OK once, then Exit.
  sw::app::UnitVariantOptions gro_options;
  auto* gro_flag = cli.get_option("--gro");
  cli.add_option("--unit", gro_options.units,
                 "With --gro: export this cutting unit (CutUnit without its blanks); repeatable, or --unit 1,2")
      ->needs(gro_flag)
      ->allow_extra_args(false);
  cli.add_flag("--all-units", gro_options.all_units, "With --gro: export \" ALL UNITS\" (combinable with --unit)")
      ->needs(gro_flag);
  cli.add_option("--variant", gro_options.variant,
                 "With --gro: the variant by two-letter code or name, any letter case (see --list)")
      ->needs(gro_flag);
  cli.add_flag("--list", gro_options.list,
               "With --gro: print the unit entries and the variants offered, one per line; export nothing")
      ->needs(gro_flag)
      ->excludes(version7_flag);
  cli.add_flag("--check-only", check_only,
               "Only check (and when older, update) the structure of CruiseDefault.stp and of a cruise file; "
               "convert nothing");
  auto* yes_flag = cli.add_flag("--yes", yes, "Answer Yes to every question");
  cli.add_flag("--no", no, "Answer No to every question")->excludes(yes_flag);
  CycleOptions cycle_options;
  cli.add_flag("--all-cycles", cycle_options.all, "Cycle files: convert every cycle of the list");
  cli.add_option("--cycle", cycle_options.cycles, "Cycle files: convert the cycles numbered N[,N...] (repeatable)")
      ->delimiter(',');
  cli.add_option("--cycle-year", cycle_options.years,
                 "Cycle files: convert the cycles of the years Y[,Y...] (repeatable)")
      ->delimiter(',');
  cli.add_flag("--list-cycles", cycle_options.list, "Cycle files: print the list of cycles and convert nothing");
  cli.add_flag("--strict", strict,
               "Key files: fail (exit 13) when the job file has damaged numbers or repeated records, "
               "instead of converting with a warning");
  cli.set_version_flag("--version", std::string(sw::app::kAboutText));
  cli.footer(std::string(kCycleHelp) + "\n" + kGroHelp + "\n\n" + kExitCodeHelp);
  // Arguments as UTF-8 (on Windows from the wide command line), so that
  // file names outside the ANSI code page survive.
  std::vector<std::string> arguments = sw::platform::Arguments(argc, argv);
  std::vector<char*> utf8_argv;
  for (auto& argument : arguments) utf8_argv.push_back(argument.data());
  sw::platform::UseUtf8Console();
  try {
    cli.parse(static_cast<int>(utf8_argv.size()), utf8_argv.data());
  } catch (const CLI::ParseError& e) {
    // --help and --version end here with 0; every other parse error is one
    // documented usage code, not CLI11's own numbers.
    return cli.exit(e) == 0 ? 0 : kExitUsage;
  }

  sw::platform::ScriptedPlatform platform;
  std::optional<sw::platform::Button> answer;
  if (yes) answer = sw::platform::Button::kYes;
  if (no) answer = sw::platform::Button::kNo;
  ConfigureTerminal(platform, answer);

  sw::app::MainDialog dialog(platform);
  std::error_code ec;
  if (!dialog.Initialise(sw::app::ProgramDirectory(argv[0]), std::filesystem::current_path(ec))) {
    return kExitNoBaseDictionary;
  }
  const std::filesystem::path file_path = sw::storage::Utf8Path(file);
  if (!std::filesystem::is_regular_file(file_path, ec)) {
    if (std::filesystem::is_directory(file_path, ec))
      std::cerr << "stumpwright-cli: " << file << " is a folder; give a file in it\n";
    else if (std::filesystem::exists(file_path, ec))
      std::cerr << "stumpwright-cli: " << file << " is not a regular file\n";
    else
      std::cerr << "stumpwright-cli: no such file: " << file << "\n";
    return kExitInputRefused;
  }
  if (!dialog.ChooseFile(std::filesystem::absolute(file_path, ec).string())) return kExitInputRefused;
  if ((gro || version7) && !dialog.window().gro_visible) {
    std::cerr << "stumpwright-cli: --gro and --version7 apply to cruise files (.crz) only\n";
    return kExitInputRefused;
  }
  if (cycle_options.any() && dialog.state().SelectedPath.size() >= 3) {
    const std::string& chosen_path = dialog.state().SelectedPath;
    const std::string last = chosen_path.substr(chosen_path.size() - 3);
    if (last != "wpx" && last != "WPX") {
      std::cerr << "stumpwright-cli: the cycle options apply to cycle files (.wpx) only\n";
      return kExitInputRefused;
    }
  }
  if (cycle_options.list) return ListCycles(dialog.state().SelectedPath);
  platform.SetCycleSelector([&platform, &cycle_options](const sw::platform::CycleSelectRequest& request) {
    return ChooseCycles(platform, cycle_options, request);
  });
  dialog.SetGroOption(gro);
  dialog.SetVersion7Option(version7);
  dialog.state().strict = strict;
  sw::app::CreateOutcome outcome = sw::app::CreateOutcome::kNothing;
  // A user at the terminal is asked for a unit or variant the options leave out.
  const bool at_terminal = sw::platform::IsTerminal(0) && sw::platform::IsTerminal(2);
  sw::app::OptionUnitVariantPrompt unit_variant_prompt(gro_options, std::cout, std::cerr,
                                                       at_terminal ? &std::cin : nullptr);
  sw::app::CreateOptions options;
  options.check_only = check_only;
  sw::app::InstallCreateCommand(
      dialog, [&outcome](sw::app::CreateOutcome o) { outcome = o; }, &unit_variant_prompt, options,
      [](const std::vector<std::string>& backups) {
        for (const std::string& backup : backups) {
          std::cerr << "stumpwright-cli: the file was backed up before its structure update as " << backup
                    << " (in the current directory)\n";
        }
      });
  dialog.Create();
  // Ctrl-C at a question gives up the prompt as No, which changes nothing;
  // it is still a cancel, not an answer.
  if (g_interrupted != 0) {
    std::cerr << "stumpwright-cli: cancelled; existing files are unchanged.\n";
    return kExitCancelled;
  }
  if (!g_unanswered.empty()) return kExitUnanswered;
  if (g_no_cycles) {
    std::cerr << "stumpwright-cli: no cycle was chosen (see --all-cycles, --cycle, --cycle-year, --list-cycles); "
                 "nothing was converted.\n";
    return kExitInputRefused;
  }
  if (unit_variant_prompt.refused()) return kExitBadChoice;
  if (gro_options.list && unit_variant_prompt.shown() && outcome == sw::app::CreateOutcome::kNothing) {
    return 0;
  }
  switch (outcome) {
    case sw::app::CreateOutcome::kNothing:
      std::cerr << "stumpwright-cli: converting " << dialog.state().SelectedPath
                << " is not available yet in this version; nothing was written.\n";
      break;
    case sw::app::CreateOutcome::kCorruptLine:
      if (!dialog.state().long_line.empty()) std::cerr << "stumpwright-cli: " << dialog.state().long_line << "\n";
      break;
    case sw::app::CreateOutcome::kCancelled:
      std::cerr << "stumpwright-cli: cancelled; no file was written and existing files are unchanged.\n";
      break;
    case sw::app::CreateOutcome::kFailed:
      std::cerr << "stumpwright-cli: failed; no partial output was kept and existing files are unchanged.\n";
      break;
    case sw::app::CreateOutcome::kInUse:
      std::cerr << "stumpwright-cli: a file is in use by another program; nothing was changed.\n";
      break;
    default:
      break;
  }
  return ExitCodeOf(outcome);
}
