// Paging of the payment terminals' record downloads against the simulator: which pages are
// read, where downloads end, how invalid slots count, the raw page readers, the record-read
// lock, failures, the merchant records of area 3 and the second-generation record write.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <mutex>

#include "consume_sim.h"
#include "terminal_flash/wire.h"
#include "transport/library.h"
#include "vorskel.h"

namespace vorskel {
namespace {

using namespace std::chrono_literals;
using sim::Bytes;

const std::uint32_t kMay1 = sim::seconds_1980(sim::Stamp{});

std::vector<Bytes> consumptions(std::size_t n) {
  std::vector<Bytes> v;
  for (std::size_t i = 0; i < n; ++i)
    v.push_back(sim::consumption_record(100 + i, 1, 2, kMay1 + i, 1, 3));
  return v;
}

class NemmarPaging : public testing::ConsumeSim {
 protected:
  std::string model_name() const override { return "nemmar"; }
  std::vector<std::uint8_t> out = std::vector<std::uint8_t>(32 * 124, 0xEE);
};

TEST_F(NemmarPaging, ThirtyLinearRecordsGiveTwentySixFourAndTheEnd) {
  load(sim::linear_area(sim::kConsumptionSlots, 26 * 10, 0, consumptions(30)));
  EXPECT_EQ(Nemmar_Record(out.data(), 0, host(), port()), 26);
  EXPECT_EQ(text_at(out, 25, 96, 0), "00000125");
  EXPECT_EQ(Nemmar_Record(out.data(), 1, host(), port()), 4);
  EXPECT_EQ(text_at(out, 3, 96, 0), "00000129");
  const std::size_t before = sim().request_count();
  EXPECT_EQ(Nemmar_Record(out.data(), 2, host(), port()), -1);  // 988 is past the end pointer 570
  EXPECT_EQ(sim().request_count(), before);
  const auto sent = requests();
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_EQ(sent[0].code(), 18);
  EXPECT_EQ(sent[1].code(), 11);
  EXPECT_EQ(reads(), (std::vector<std::uint32_t>{0, 494}));
}

TEST_F(NemmarPaging, NoRecordsEndsAfterTheTwoQueries) {
  load(sim::empty_area(sim::kConsumptionSlots, 26 * 10));
  EXPECT_EQ(Nemmar_Record(out.data(), 0, host(), port()), -1);
  EXPECT_EQ(sim().request_count(), 2u);
  EXPECT_EQ(Nemmar_Record(out.data(), 1, host(), port()), -1);
  EXPECT_EQ(sim().request_count(), 2u);
}

TEST_F(NemmarPaging, InvalidSlotsCountAgainstTheTotal) {
  auto records = consumptions(6);
  records[2][16] = 0xFF;  // erased flag byte between valid records
  load(sim::linear_area(sim::kConsumptionSlots, 26 * 10, 0, records));
  sim().with_model([](sim::Model& m) {  // stale but valid records right after the end
    sim::write_area2(m, 6 * 19, sim::consumption_record(999, 1, 2, kMay1, 1, 3));
    return 0;
  });
  EXPECT_EQ(Nemmar_Record(out.data(), 0, host(), port()), 5);
  EXPECT_EQ(text_at(out, 2, 96, 0), "00000103");
  EXPECT_EQ(text_at(out, 4, 96, 0), "00000105");
}

TEST_F(NemmarPaging, FailuresPassThrough) {
  load(sim::linear_area(sim::kConsumptionSlots, 26 * 10, 0, consumptions(30)));
  set_receive_timeout(150);
  struct Case {
    int code;
    sim::FaultKind fault;
    int page;
    int expected;
  } cases[] = {
      {18, sim::FaultKind::kNoReply, 0, VORSKEL_ERR_NO_REPLY},
      {11, sim::FaultKind::kWrongCode, 0, VORSKEL_ERR_WRONG_CODE},
      {4, sim::FaultKind::kNoReply, 0, VORSKEL_ERR_NO_REPLY},
  };
  for (const auto& c : cases) {
    sim().inject(c.code, {c.fault});
    EXPECT_EQ(Nemmar_Record(out.data(), c.page, host(), port()), c.expected) << c.code;
    EXPECT_EQ(Nemmarv2_Record(out.data(), c.page, host(), port()), c.expected) << c.code;
    sim().clear_faults();
  }
  EXPECT_EQ(Nemmar_Record(out.data(), 0, host(), port()), 26);  // and the terminal is back
}

TEST_F(NemmarPaging, RawPagesAtFixedAddresses) {
  struct Case {
    testing::PageCall call;
    int page;
    std::uint32_t address;
  } cases[] = {
      {Nemmar_RecordAll, 0, 0},          {Nemmar_RecordAll, 1, 456},
      {Nemmar_RecordAll, 600, 262200},   {Nemmar_RecordAll, 575, 262200},
      {Nemmarv2_RecordAll, 1, 506},      {Nemmarv2_RecordAll, 575, 290950},
      {Nemmarv2_RecordAll, 576, 290950},
  };
  for (const auto& c : cases) {
    sim().clear_requests();
    EXPECT_GE(c.call(out.data(), c.page, host(), port()), 0) << c.page;
    EXPECT_EQ(reads(), std::vector<std::uint32_t>{c.address}) << c.page;  // and nothing else
  }
  EXPECT_EQ(testing::sent_hex(last_request()), "04 86 70 04 00");
}

TEST_F(NemmarPaging, RawPageDecodesFlashOrderWhateverThePointers) {
  auto records = consumptions(60);
  records[30][16] = 0x00;
  load(sim::linear_area(sim::kConsumptionSlots, 26 * 10, 0, records));
  sim().with_model([](sim::Model& m) {  // pointers that say "no records"
    m.part<sim::RecordCounters>() = {};
    return 0;
  });
  // Page 1 is bytes 456-911: records 24 to 47, one of them invalid.
  ASSERT_EQ(Nemmar_RecordAll(out.data(), 1, host(), port()), 23);
  EXPECT_EQ(text_at(out, 0, 96, 0), "00000124");
  EXPECT_EQ(text_at(out, 6, 96, 0), "00000131");
  EXPECT_EQ(text_at(out, 22, 96, 0), "00000147");
  const std::string first = "00000124 00000002 00000001 001 2009-05-01 08:00:24 3 127.0.0.1\n";
  EXPECT_EQ(testing::TempCwd::read_text(cwd.path() / "records" / "127.0.0.1" / "2009-05-01.rcd")
                .substr(0, first.size()),
            first);
}

TEST_F(NemmarPaging, ShortRecordPagesWaitForTheRecordReadLock) {
  std::vector<Bytes> records;
  for (std::uint32_t i = 0; i < 5; ++i)
    records.push_back(sim::short_consumption_record(i + 1, kMay1, 10));
  load(sim::linear_area(sim::kShortConsumptionSlots, 320, 0, records));
  std::unique_lock<std::recursive_mutex> hold(*library().record_read_lock);
  auto page = std::async(std::launch::async,
                         [&] { return Nemmar_Record_id(out.data(), 0, host(), port()); });
  ASSERT_TRUE(sim().wait_for_requests(2, 2s));  // the two queries run before the lock
  EXPECT_EQ(page.wait_for(100ms), std::future_status::timeout);
  EXPECT_EQ(sim().request_count(), 2u);  // the page read waits
  hold.unlock();
  EXPECT_EQ(page.get(), 5);
  EXPECT_EQ(sim().request_count(), 3u);
}

TEST_F(NemmarPaging, EmptyShortSlotLeavesAClearedDatedEntryAfterTheLast) {
  std::vector<Bytes> records = {sim::short_consumption_record(5, kMay1, 10),
                                sim::short_consumption_record(0, kMay1 + 86400, 0),
                                sim::short_consumption_record(6, kMay1, 11),
                                sim::short_consumption_record(0, kMay1 + 2 * 86400, 0)};
  load(sim::linear_area(sim::kShortConsumptionSlots, 320, 0, records));
  ASSERT_EQ(Nemmar_Record_id(out.data(), 0, host(), port()), 2);
  EXPECT_EQ(text_at(out, 0, 96, 0), "0000000005");
  EXPECT_EQ(text_at(out, 1, 96, 0), "0000000006");
  EXPECT_EQ(text_at(out, 1, 96, 54), "00000011");
  EXPECT_EQ(text_at(out, 2, 96, 0), "");
  EXPECT_EQ(text_at(out, 2, 96, 12), "2009-05-03");
}

class BrellPaging : public testing::ConsumeSim {
 protected:
  std::string model_name() const override { return "brell"; }
};

TEST_F(BrellPaging, APageOfEmptySlotsStillCountsThirtyTwo) {
  std::vector<Bytes> records;
  for (std::uint32_t i = 0; i < 40; ++i)
    records.push_back(sim::brell_record(i, 1, 2, kMay1, 3, i < 32 ? 0x00 : sim::kBrellMarker));
  load(sim::linear_area(sim::kBrellSlots, 32 * 10, 0, records));
  sim().with_model([](sim::Model& m) {  // stale but valid records right after the end
    for (std::uint32_t i = 40; i < 64; ++i)
      sim::write_area2(m, i * 16, sim::brell_record(900 + i, 1, 2, kMay1, 3));
    return 0;
  });
  std::vector<std::uint8_t> out(32 * 96);
  EXPECT_EQ(Brell_Record_id(out.data(), 0, host(), port()), 0);
  EXPECT_EQ(Brell_Record_id(out.data(), 1, host(), port()), 8);  // the total stops the run
  EXPECT_EQ(testing::ConsumeSim::text_at(out, 7, 96, 0), "00000039");
  EXPECT_EQ(Brell_Record_id(out.data(), 2, host(), port()), -1);
}

class SecondGeneration : public testing::ConsumeSim {
 protected:
  std::string model_name() const override { return "nemmarv2"; }
};

TEST_F(SecondGeneration, WritingBackARecordExchangesValuesAAndB) {
  load(sim::linear_area(
      sim::kSecondGenerationSlots, 230, 0,
      {sim::second_generation_record(7, 0x11111111, 0x22222222, kMay1, 3, 9, 0x33333333)}));
  std::vector<std::uint8_t> out(23 * 124);
  ASSERT_EQ(Nemmarv2_Record(out.data(), 0, host(), port()), 1);
  ASSERT_EQ(Nemmarv2_Write_ARecord(out.data(), host(), port()), 0);
  EXPECT_EQ(testing::sent_hex(last_request()),
            "58 07 00 00 00 22 22 22 22 11 11 11 11 55 55 AA AA AA 00 33 33 33 33");
  EXPECT_EQ(Nemmarv2_Write_ARecord(nullptr, host(), port()), -1);
}

TEST_F(SecondGeneration, WrittenTextsAreReadWithinTheirFields) {
  std::vector<std::uint8_t> entry(124, '9');  // no zero anywhere: each field ends at its room
  entry[54] = 'x';                            // no number: 0
  ASSERT_EQ(Nemmarv2_Write_ARecord(entry.data(), host(), port()), 0);
  // 12 nines wrap modulo 2^32 to 0xD4A50FFF; 16 nines to 0x6FC0FFFF.
  EXPECT_EQ(testing::sent_hex(last_request()),
            "58 FF 0F A5 D4 00 00 00 00 FF FF C0 6F 55 55 AA AA AA 00 FF FF C0 6F");
}

class MerchantRecords : public testing::ConsumeSim {
 protected:
  std::string model_name() const override { return "nemmar"; }
  void load_merchants(std::uint32_t start, const std::vector<Bytes>& records) {
    sim().with_model([&](sim::Model& m) {
      sim::load_merchant_records(m, start, records);
      return 0;
    });
  }
  std::vector<std::uint8_t> out = std::vector<std::uint8_t>(64 * 54, 0xEE);
};

TEST_F(MerchantRecords, PagesFromTheStartPointerUpToTheEndPointer) {
  std::vector<Bytes> records;
  for (std::uint32_t i = 0; i < 128; ++i)
    records.push_back(sim::merchant_record(i == 0 ? 0x010203 : i, 2, kMay1));
  load_merchants(0, records);
  ASSERT_EQ(Vorsk_Merch_Record(out.data(), 0, host(), port()), 64);
  EXPECT_EQ(text_at(out, 0, 54, 0), "00066051");
  EXPECT_EQ(Vorsk_Merch_Record(out.data(), 1, host(), port()), 64);
  const std::size_t before = sim().request_count();
  EXPECT_EQ(Vorsk_Merch_Record(out.data(), 2, host(), port()), 0);  // at the end: 0, no read
  EXPECT_EQ(sim().request_count(), before);
  const auto sent = requests();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0].code(), 18);  // no count query
  EXPECT_EQ(reads(53), (std::vector<std::uint32_t>{0, 512}));
  EXPECT_TRUE(std::filesystem::is_directory(cwd.path() / "records"));
  EXPECT_FALSE(std::filesystem::exists(cwd.path() / "records" / "127.0.0.1"));  // no lines
}

TEST_F(MerchantRecords, NoRecordsGivesZero) {
  load_merchants(4096, {});
  EXPECT_EQ(Vorsk_Merch_Record(out.data(), 0, host(), port()), 0);
  EXPECT_EQ(Vorsk_Merch_Record(out.data(), 1, host(), port()), 0);
  EXPECT_EQ(reads(53).size(), 0u);
}

TEST_F(MerchantRecords, FullDownloadMatchesTheStoredRecords) {
  std::vector<Bytes> records;
  std::vector<std::string> expected;
  for (std::uint32_t i = 0; i < 1000; ++i) {
    const bool valid = i % 7 != 3;
    records.push_back(sim::merchant_record(i * 4099 % 0x1000000, i % 16, kMay1 + i * 600,
                                           valid ? sim::kValidFlag : 0x30));
    if (!valid) continue;
    const auto [date, time] = testing::stamp_texts(kMay1 + i * 600);
    expected.push_back(testing::printf_text("%08lu", i * 4099 % 0x1000000) + " " + date + " " +
                       time + " " + testing::printf_text("%03lu", i % 16));
  }
  const std::uint32_t start = 40;  // not on a page boundary
  load_merchants(start, records);
  const int pages = (1000 * 8 + 511) / 512;
  std::vector<std::string> got;
  for (int page = 0; page < pages; ++page) {
    const int n = Vorsk_Merch_Record(out.data(), page, host(), port());
    ASSERT_GE(n, 0) << page;
    for (int i = 0; i < n; ++i)
      got.push_back(text_at(out, i, 54, 0) + " " + text_at(out, i, 54, 12) + " " +
                    text_at(out, i, 54, 24) + " " + text_at(out, i, 54, 34));
  }
  EXPECT_EQ(Vorsk_Merch_Record(out.data(), pages, host(), port()), 0);
  EXPECT_EQ(got, expected);
}

}  // namespace
}  // namespace vorskel
