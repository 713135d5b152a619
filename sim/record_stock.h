// The records a standalone simulator holds: a series in one of the record layouts its model
// keeps (the main terminal's, the payment terminals', the door controllers', the multi-door
// controller's), loaded into the model's flash with pointers and total to match, growing while
// it runs (new records keep arriving), emptied when a host clears the records, and exported
// as CSV for tests that compare a host's download with what the terminal held.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/model.h"
#include "sim/models/record_area.h"
#include "sim/models/record_area_layouts.h"

namespace vorskel::sim {

// One record as the terminal stored it, before encoding into a layout.
struct StockRecord {
  std::uint32_t card = 0;
  Stamp at{};
  std::uint32_t value = 0;
};

struct StockLayout {
  const char* name;    // the layout's name, as the vorskel tool's records --model names it
  const char* models;  // the models that keep it, space-separated; the first layout listed
                       // for a model is its default
  SlotGeometry geometry;
  bool merchant;  // flash area 3 (merchant records) instead of the record area
  Bytes (*encode)(const StockRecord& r);
  bool dated;  // the layout stores a date (the raw flow records do not)
};

const std::vector<StockLayout>& stock_layouts();
// The layout by name; nullptr when there is none.
const StockLayout* find_stock_layout(const std::string& name);
// The names of the layouts a model keeps, its default first.
std::vector<std::string> layouts_of(const std::string& model);

// The model's record store (Model::part<RecordStock>()); change it only under the
// simulator's lock (Simulator::with_model) and reload after a change.
struct RecordStock {
  const StockLayout* layout = nullptr;
  bool wrapped = false;
  std::uint32_t wrap_start = 0;   // slot of the oldest record in a wrapped area
  std::uint32_t next_number = 0;  // numbers the next record added (card, time, value)
  std::uint32_t seed = 1;
  Stamp first{2026, 11, 1, 7, 30, 0};
  std::uint32_t step_seconds = 3 * 3600 + 17;  // several records a day
  std::vector<StockRecord> records;            // oldest first
  std::uint64_t generation = 0;                // counts changes (exports follow it)
};

// Sets the layout, adds count records and loads them. Call inside Simulator::with_model.
void stock_records(Model& m, const StockLayout& layout, std::size_t count, bool wrapped,
                   std::uint32_t seed);
// Adds one record (stamped after the newest) and reloads.
void add_stock_record(Model& m);
// Lets the model's record-clearing command empty the stock as well.
void honour_record_clears(Model& m);
// Writes the stock as CSV (layout,card,date,time,value; card in 8 hex digits); false when the
// file cannot be written.
bool export_stock(Model& m, const std::string& path);

}  // namespace vorskel::sim
