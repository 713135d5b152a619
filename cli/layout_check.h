// Whether downloaded records fit the layout they were decoded with. A layout chosen for
// another model's terminal decodes its bytes into dates no terminal stores (1980, 2116,
// month 0, hour 37): when most records are like that, the layout is wrong and nothing may be
// written. Garbage can also decode into dates that are possible one by one, but they jump
// back and forth where a terminal's records follow its clock: when many steps from one record
// to the next go back in time, the layout is wrong as well.
#pragma once

#include <string>
#include <vector>

#include "service/record_models.h"

namespace vorskel::cli {

using site::RecordModel;

struct LayoutVerdict {
  long checked = 0;     // records with a date to check (0 for layouts without one)
  long impossible = 0;  // of which the date or time is impossible
  long backwards = 0;   // steps from one possible record to the next that go back in time
  std::string example;  // the first impossible date and time, or a step back
  bool fits() const {
    return checked == 0 || (impossible * 2 <= checked && backwards * 4 <= checked);
  }
};

LayoutVerdict check_layout(const RecordModel& model,
                           const std::vector<std::vector<std::string>>& rows);

// A "YYYY-MM-DD", "hh:mm:ss" or "YYYY-MM-DD hh:mm:ss" text a terminal could have stored.
bool plausible_date(const std::string& text);
bool plausible_time(const std::string& text);

}  // namespace vorskel::cli
