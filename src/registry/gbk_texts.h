// Chinese texts the hosts expect, as GBK bytes (the sources stay ASCII).
#pragma once

namespace vorskel::registry::gbk {

// The door controller's registration line, in two pieces here:
//   "卡号1:%02X%02X%02X%02X 卡号2:%02X%02X%02X%02X 组号:%d  安全级别:%d "
//   "密码:%d  有效期到:%d年%d月%d日 \n"
inline constexpr char kDoorRegistrationLine[] =
    "\xBF\xA8\xBA\xC5"
    "1:%02X%02X%02X%02X "
    "\xBF\xA8\xBA\xC5"
    "2:%02X%02X%02X%02X "
    "\xD7\xE9\xBA\xC5:%d  "
    "\xB0\xB2\xC8\xAB\xBC\xB6\xB1\xF0:%d "
    "\xC3\xDC\xC2\xEB:%d  "
    "\xD3\xD0\xD0\xA7\xC6\xDA\xB5\xBD:%d"
    "\xC4\xEA%d"
    "\xD4\xC2%d"
    "\xC8\xD5 \n";
// Its door-rights line: "对应门禁权限 " and then " 门%d:%d " per door.
inline constexpr char kDoorRightsHeading[] = "\xB6\xD4\xD3\xA6\xC3\xC5\xBD\xFB\xC8\xA8\xCF\xDE ";
inline constexpr char kDoorRight[] = " \xC3\xC5%d:%d ";

// "请先调用Pirrel_OpenCom函数." with the caption "错误".
inline constexpr char kOpenFirst[] =
    "\xC7\xEB\xCF\xC8\xB5\xF7\xD3\xC3"
    "Pirrel_OpenCom\xBA\xAF\xCA\xFD.";
inline constexpr char kErrorCaption[] = "\xB4\xED\xCE\xF3";

}  // namespace vorskel::registry::gbk
