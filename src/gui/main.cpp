// stumpwright: the window program. Refuses to start without the base
// dictionary beside it (exit code 0, as the window program always has),
// otherwise shows the main window until Quit, or until a Create that must
// end the program (exit code 1 for a key or job line over 105 characters).
//
// Not for: anything MainDialog decides. STUMPWRIGHT_SCREENSHOT=file.png
// saves a picture of the window as it first appears and exits.
#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <clocale>
#include <cstdlib>
#include <filesystem>

#include "app/create_command.h"
#include "app/main_dialog.h"
#include "app/program_location.h"
#include "gui/main_window.h"
#include "gui/qt_platform.h"
#include "gui/unit_variant_dialog.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");  // the C library's number conversions keep a decimal point
  QApplication::setWindowIcon(sw::gui::ProgramIcon());

  sw::gui::QtPlatform platform;
  sw::app::MainDialog dialog(platform);
  std::error_code ec;
  if (!dialog.Initialise(sw::app::ProgramDirectory(argv[0]), std::filesystem::current_path(ec))) return 0;

  sw::gui::MainWindow window(dialog);
  platform.SetMainWindow(&window);
  // A Create that must end the program (a read-only medium, an over-long
  // line) closes the window after its message; the line gives exit code 1.
  int exit_code = 0;
  sw::gui::QtUnitVariantPrompt unit_variant_prompt(&window);
  sw::app::InstallCreateCommand(
      dialog,
      [&window, &exit_code](sw::app::CreateOutcome outcome) {
        if (!sw::app::EndsProgram(outcome)) return;
        exit_code = outcome == sw::app::CreateOutcome::kCorruptLine ? 1 : 0;
        window.done(QDialog::Rejected);
      },
      &unit_variant_prompt);
  if (const char* shot = std::getenv("STUMPWRIGHT_SCREENSHOT"); shot != nullptr && shot[0] != '\0') {
    window.show();
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(shot), "PNG") ? 0 : 1;
  }
  window.exec();
  return exit_code;
}
