#!/usr/bin/env python3
"""Writes the seed corpora of the reply fuzz targets: one well-formed reply per call, the
length each export asks for, echoes where the export compares one. Run from the repository
root; the files go to fuzz/corpus/reply_<target>/ (see fuzz/reply_calls.h for the input)."""
import os


def reply(payload):
    # CRC-16 (not checked on replies), command code (forced to the request's), payload.
    return bytes([0, 0, 0]) + bytes(payload)


def one(index, payload):
    return bytes([index]) + reply(payload)


def sequence(index, *payloads):
    out = bytearray([index])
    for p in payloads:
        r = reply(p)
        r = r[:len(r) - len(r) % 4]  # replies travel in steps of 4 bytes
        out += bytes([len(r) // 4]) + r
    return bytes(out)


def zeros(n):
    return [0] * n


CH = 23  # the last channel

SEEDS = {
    "terminal": {
        # rows 0-3 keep the seeds of the earlier single target (seed0-seed3)
        "rdflash2_short": one(4, list(range(7)) + zeros(505)),
        "rdflash3_page": one(5, [i & 0xFF for i in range(512)]),
        "window": one(6, [0, 0, 0, 0, 0, 1, 1, 0] + list(range(256)) + zeros(248)),
        "window_moved": one(7, [0, 0xFF, 7, 0, 10, 0, 1, 0] + [0xAB] * 10 + zeros(494)),
        "comc": one(8, [0x5A] * 448 + [0, 0, 0xC0, 1]),
        "comc_short_room": one(9, [1, 2, 3, 4, 5, 6, 7] + zeros(441) + [3, 0, 7, 0]),
        "device": one(10, list(b"TERM0001") + zeros(7) + [0xFE] + zeros(4)),
        "device_ex": one(11, list(b"ID") + zeros(13) + [7, 0x78, 0x56, 0x34, 0x12]),
        "version": one(12, list(b"V5.21 2009-06-01") + zeros(112)),
        "other_set": one(13, [0] + list(range(1, 12))),
        "system_parameter": one(14, list(range(80)) + [1] + [0xA0] * 6 + [2] + [0xB0] * 6
                                + [0, 0] + list(range(61)) + [0x34, 0x12, 0x78, 0x56]),
        "time_table": one(15, [h % 24 if i % 2 == 0 else 59 for i, h in enumerate(range(32))]
                          + [3, 1]),
        "alarm_clock": one(16, [6, 30] * 16 + [1, 0]),
        "card_id": one(17, zeros(64) + [0xDE, 0xAD, 0xBE, 0xEF] + zeros(80) + [0, 0]),
        "card_read": one(18, list(range(64)) + [1, 2, 3, 4] + zeros(80) + [0, 0]),
    },
    "payment": {
        "point_mode": one(0, [2]),
        "device": one(1, list(b"POS1") + zeros(11) + [0x80, 0x7F, 0, 0, 0]),
        "cost_mul": one(2, list(range(32))),
        "card_mask": one(3, [0xFF, 0x0F, 0, 0x80] + zeros(28)),
        "registry": one(4, [0x15, 0xCD, 0x5B, 0x07, 100, 0, 0, 0, 200, 0, 0, 0, 0, 0]),
        "registry_id": one(5, [0xFF, 0xFF, 0xFF, 0xFF, 0, 0] + zeros(8)),
        "brell_registry": one(6, [0xFF] * 12 + [0xFF, 0xFF, 0xFF] + zeros(5)
                              + list(range(8)) + [0xF3, 109, 12, 31, 0, 0]),
        "merchant_registry": one(7, [1, 0, 0, 0, 2, 3, 4, 0x34, 0x12, 0, 0]),
    },
    "doors": {
        "sondo_registry": one(0, [0x1A, 0x2B, 0x3C, 0x4D, 0, 0, 0, 1] + zeros(6)
                              + [0x5A, 109, 6, 30, 0xFF, 0xFF, 0xFF, 0xFF, 9, 0, 0, 0]
                              + zeros(6) + [0, 0]),
        "kappel_status": one(1, [0, 0xFF, 0x81] + list(range(29))),
        "sondo_status": one(2, [0xED] * 32),
        "lusk_registry": one(3, [0xDE, 0xAD, 0xBE, 0xEF, 5, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF,
                                 109, 1, 1, 0, 0, 0, 0, 0, 0, 0]),
        "lusk_online": one(4, [1, 0] * 16 + zeros(96)),
        # the Gaddo settings come back with the CRC-16 of their bytes after them
        "set_machine": one(5, [0x5A, 0x5A, 0x5A, 0, 0]),
        "set_logic": one(6, [0x5A] * 7 + [0, 0]),
        "get_machine": one(7, [1, 2, 3, 0, 0]),
        "get_logic": one(8, [1, 2, 3, 4, 5, 6, 7, 0, 0]),
    },
    "multidoor": {
        "week_table": one(0, [0] + [0, 8, 30, 17] * 56),
        "week_table_last": one(1, [7] + [0xFF, 0x18, 0x3C, 0x80] * 56),
        "open_table": one(2, [7] + [15, 9, 45, 18] * 56),
        "holiday_first": one(3, [1, 1, 5, 3] + zeros(76)),
        "holiday_last": one(4, zeros(76) + [0xFF, 12, 31, 0x80]),
        "holiday_doors": one(5, [7] + [0, 0, 59, 23] * 8),
        "map": one(6, list(range(32))),
        "status": one(7, [0] + [0x7F, 0x01, 0x40] * 8 + zeros(103)),
        "way_alarm": one(8, [CH, 0x7F, 0]),
        "way_pass": one(9, [0, 0xBF, 0x81]),
        "way_lock": one(10, [CH, 0x33, 0x33, 0xFF]),
        "time_seg": one(11, [0] + [i * 7 & 0xFF for i in range(33)]),
        "door_psw": one(12, [CH, 0x1A, 0x2B, 0x3C, 0x4D]),
        "way_connect": one(13, [1, 3, 4, 0xFF, 0xFF, 0x10, 0x27]),
        "way_timer": one(14, [1, 2, 3, 4]),
        "alarm_psw": one(15, [0xFF, 0xEE, 0, 0]),
        "set_week": one(16, zeros(225)),
        "set_open": one(17, [7] + zeros(224)),
        "set_holiday": sequence(18, zeros(80), zeros(76) + [0xFF, 1, 2, 0xFF]),
        "set_holiday_doors": one(19, [7] + zeros(32)),
        "set_alarm": one(20, [CH, 0x2A, 0]),
        "set_pass": one(21, [0, 0x2A, 0x01]),
        "set_lock": one(22, [CH, 0x33, 0x33, 0x33]),
        "set_time_seg": one(23, [CH] + [0xFF if i % 3 == 0 else i for i in range(33)]),
        "set_door_psw": one(24, [0, 0x1A, 0x2B, 0x3C, 0x4D]),
        "set_connect": one(25, [0, 1, 2, 0xFF, 0xFF, 4, 0]),
        "set_timer": one(26, [1, 2, 3, 4]),
        "set_alarm_psw": one(27, [0xFF, 0xEE, 0, 0]),
        "open": one(28, [CH]),
        "open_always": one(29, [CH]),
        "close": one(30, [CH]),
        "clear_alarm": one(31, [CH]),
        "single_store": one(32, [0xA1, 0x1A, 0x2B, 0x3C, 0x4D, 0xA1, 0xB2, 0xC3, 10, 15,
                                 0x55, 0x55, 0x55, 24, 12, 31, 0]),
        "single_read": one(33, [0xA1, 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 0xF0, 0x80,
                                0xFF, 0xFF, 0xFF, 0x9C, 0xFF, 0xFF, 0]),
        "double_store": one(34, [0xA2, 0x1A, 0x2B, 0x3C, 0x4D, 0x0B, 0xAD, 0xF0, 0x0D, 15,
                                 0x55, 0x55, 0x55, 24, 12, 31, 0]),
        "double_read": one(35, [0xA2, 0, 1, 0, 2, 0xFF, 0xFF, 0xFF, 0xFF, 3,
                                1, 0, 0x80, 25, 1, 1, 0]),
        "weigen66_store": one(36, [0xA2, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0, 15,
                                   0x55, 0x55, 0x55, 24, 12, 31, 0]),
        "weigen66_read": one(37, [0xA2] + [0xFF] * 7 + [0, 0, 0xFF, 0xFF, 0xFF, 99, 12, 31, 0]),
    },
    "registry": {
        "vorsk_registry": one(0, [0x1A, 0x2B, 0x3C, 0x4D] + list(b"card2txt") + list(b"NAME")
                          + zeros(4) + [0x5A, 110, 6, 30] + [1, 0, 0, 0] + zeros(4) + [3, 0]),
        "vorsk_registry_ex": one(1, [0xFF] * 8 + list(b"NAMENAME") + [0xA5, 255, 255, 255]
                             + zeros(6) + [0, 0] + zeros(6)),
        "probe": one(2, [0x55, 0xAA, 0x55, 0xAA]),
        "scan": one(3, [0, 0, 3, 2] + list(range(254))),
        # a registration with template after one lost exchange; a crc mismatch shows an error
        "finger_registry": sequence(4, [0x7F, 0x96, 0x98, 0] + list(b"FINGER") + zeros(2)
                                    + [0x12, 110, 1, 1] + zeros(16) + [3, 0, 0, 0, 3, 2]
                                    + zeros(254)),
        "finger_no_template": one(5, [1, 0, 0, 0] + zeros(26) + [238, 0, 0, 0]),
        # the card's 21 blocks: kind 1 (no template), card 123456, name, 24-06-30, sum
        "card_no_template": bytes([6, 1, 0x01, 0xE2, 0x40]) + b"NAME1234" + bytes([24, 6, 30, 0])
        + bytes(320) + bytes([0, 0]),
        "card_template": bytes([6, 0, 0, 0, 1]) + bytes(11) + bytes(32) + bytes([3, 2])
        + bytes(254) + bytes([0xAA, 0xAA]) + bytes(30) + bytes([5, 3]),
    },
}

for target, seeds in SEEDS.items():
    folder = os.path.join("fuzz", "corpus", "reply_" + target)
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
