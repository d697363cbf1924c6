// Test helpers: the key files under data/ and the sections of a key file text.
#pragma once

#include <string>

namespace sw::legacy::keyfile::testing {

std::string DataPath(const std::string& name);
std::string ReadDataFile(const std::string& name);
// The text from the "VOLUME EQUATIONS" line up to (not including) "END".
std::string SectionText(const std::string& key_file_text);
// SectionText as the writer gives it back: the one weight percent of the
// sample files that fills all nine columns is written with three decimals.
std::string WrittenSectionText(const std::string& key_file_text);
// Lines 4 up to the first section header.
std::string ReportText(const std::string& key_file_text);

}  // namespace sw::legacy::keyfile::testing
