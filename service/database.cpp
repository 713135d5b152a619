#include "service/database.h"

#include <ctime>

namespace vorskel::site {

std::unique_ptr<Database> open_database(const std::string& url) {
  if (url.rfind("sqlite:", 0) == 0) return open_sqlite(url.substr(7));
  if (url.rfind("postgresql://", 0) == 0 || url.rfind("postgres://", 0) == 0)
    return open_postgres(url);
  throw DatabaseError("unsupported database URL '" + url +
                      "' (expected sqlite:FILE or postgresql://...)");
}

std::string utc_now_text() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  char text[24];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
  return text;
}

}  // namespace vorskel::site
