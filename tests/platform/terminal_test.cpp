// Terminal answers and the terminal progress bar of the command-line program.
#include "platform/terminal.h"

#include <gtest/gtest.h>

#include <sstream>

namespace sw::platform {
namespace {

const Message kQuestion{"Cruise File exists \nDO YOU WANT TO DELETE IT?", "Stumpwright", Icon::kQuestion,
                        Buttons::kYesNo};

TEST(TerminalAnswerer, FixedAnswerWinsWithoutAsking) {
  std::istringstream in("n\n");
  std::ostringstream out;
  EXPECT_EQ(TerminalAnswerer(Button::kYes, true, in, out)(kQuestion), Button::kYes);
  EXPECT_EQ(out.str(), "");
}

TEST(TerminalAnswerer, AsksUntilYesOrNo) {
  std::istringstream in("maybe\n y \n");
  std::ostringstream out;
  EXPECT_EQ(TerminalAnswerer(std::nullopt, true, in, out)(kQuestion), Button::kYes);
  EXPECT_EQ(out.str(), "Answer [y/n]: Answer [y/n]: ");
}

TEST(TerminalAnswerer, EndOfInputOrNoTerminalMeansNo) {
  std::istringstream empty;
  std::ostringstream out;
  EXPECT_EQ(TerminalAnswerer(std::nullopt, true, empty, out)(kQuestion), Button::kNo);
  std::istringstream in("y\n");
  EXPECT_EQ(TerminalAnswerer(std::nullopt, false, in, out)(kQuestion), Button::kNo);
}

TEST(TerminalAnswerer, OkBoxesAreNotQuestions) {
  std::istringstream in;
  std::ostringstream out;
  EXPECT_EQ(TerminalAnswerer(Button::kNo, true, in, out)({"x", "y", Icon::kStop, Buttons::kOk}), Button::kOk);
}

TEST(TerminalProgressPopup, SilentWhenNotATerminal) {
  std::ostringstream out;
  {
    TerminalProgressPopup popup(out, false, "Progress");
    popup.Show();
    popup.SetRange(0, 10, 1);
    popup.SetPosition(5);
  }
  EXPECT_EQ(out.str(), "");
}

TEST(TerminalProgressPopup, RedrawsInPlaceAndEndsTheLine) {
  std::ostringstream out;
  {
    TerminalProgressPopup popup(out, true, "Progress");
    popup.SetRange(0, 10, 1);
    popup.Show();
    popup.SetPosition(10);
    popup.SetPosition(10);  // same picture: not drawn again
  }
  const std::string s = out.str();
  EXPECT_NE(s.find("\rProgress [" + std::string(30, '#') + "] "), std::string::npos);
  EXPECT_EQ(s.back(), '\n');
  EXPECT_EQ(std::count(s.begin(), s.end(), '\r'), 2);
}

}  // namespace
}  // namespace sw::platform
