#pragma once
// The platform stand-in's built-in accounts (tools/standin/state.py), for
// every test, tool and benchmark that signs in.
namespace zvtest {

// Allowed to record; room "10001".
inline constexpr const char* kTestUser = "zvtest";
inline constexpr const char* kTestPassword = "zv-pass.123";
inline constexpr const char* kTestRoom = "10001";
inline constexpr const char* kTestNickname = "测试主播";

// Not allowed to record; a name and a password that need escaping.
inline constexpr const char* kSecondUser = "主播 小明";
inline constexpr const char* kSecondPassword = "p&ss=w%rd 1";
inline constexpr const char* kSecondRoom = "10002";

}  // namespace zvtest
