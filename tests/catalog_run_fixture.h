// A catalog class on a scratch working folder with a recording window, and
// the steps most conversion tests take with it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalog.h"
#include "fake_services.h"
#include "test_files.h"

namespace orbivane::testing {

class CatalogRunTest : public ::testing::Test {
 protected:
  // Presses Start with these texts; the messages of earlier presses are dropped.
  StartOutcome Start(const std::string& filter, const std::string& source, const std::string& output) {
    services_.messages.clear();
    catalog_.m_strFilter = filter;
    catalog_.m_strSourcePath = source;
    catalog_.m_strOutputPath = output;
    return catalog_.OnStart();
  }
  // Writes the source as astorb.dat and converts it into out.slc.
  StartOutcome StartOn(const std::string& sourceText, const std::string& filter) {
    WriteFile(dir_ / "astorb.dat", sourceText);
    return Start(filter, dir_ / "astorb.dat", dir_ / "out.slc");
  }
  std::string Output() const { return ReadFile(dir_ / "out.slc"); }
  // The history file as a fresh window would list it.
  std::vector<FakeServices::Row> History() {
    FakeServices fresh;
    CCatalog reader(fresh, dir_.path());
    EXPECT_TRUE(reader.LoadHistory().ok());
    return fresh.rows;
  }

  ScratchDir dir_;
  FakeServices services_;
  CCatalog catalog_{services_, dir_.path()};
};

}  // namespace orbivane::testing
