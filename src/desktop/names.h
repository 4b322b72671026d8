#pragma once

// The strip's names on the session bus, shared by the client and its control tool
// (tembrill-connect-ctl). The interface is versioned: a change that breaks callers gets a new
// number.

namespace bus_names {

// The well-known name, the desktop entry's id.
inline constexpr char service[] = "com.example.TembrillConnect";
inline constexpr char path[] = "/com/example/TembrillConnect";
inline constexpr char control[] = "com.example.TembrillConnect1";
inline constexpr char application[] = "org.freedesktop.Application";

// Properties of the control interface. Line and SecondChannel take one of the state words.
inline constexpr char line[] = "Line";
inline constexpr char second_channel[] = "SecondChannel";
inline constexpr char line_seconds[] = "LineSeconds";
inline constexpr char second_channel_seconds[] = "SecondChannelSeconds";
inline constexpr char address[] = "Address";
inline constexpr char can_connect[] = "CanConnect";
inline constexpr char can_hang_up[] = "CanHangUp";
inline constexpr char can_add_channel[] = "CanAddChannel";
inline constexpr char can_drop_channel[] = "CanDropChannel";

inline constexpr char state_unknown[] = "unknown";
inline constexpr char state_down[] = "down";
inline constexpr char state_dialing[] = "dialing";
inline constexpr char state_up[] = "up";

// Methods of the control interface; none takes an argument or returns a value.
inline constexpr char connect_method[] = "Connect";
inline constexpr char hang_up_method[] = "HangUp";
inline constexpr char add_channel_method[] = "AddChannel";
inline constexpr char drop_channel_method[] = "DropChannel";

// Errors the methods answer with, instead of sending.
inline constexpr char no_status[] = "com.example.TembrillConnect1.Error.NoStatus";
inline constexpr char not_allowed[] = "com.example.TembrillConnect1.Error.NotAllowed";
inline constexpr char already_done[] = "com.example.TembrillConnect1.Error.AlreadyDone";
inline constexpr char send_failed[] = "com.example.TembrillConnect1.Error.SendFailed";

// Actions of org.freedesktop.Application and of the desktop entry.
inline constexpr char connect_action[] = "connect";
inline constexpr char hang_up_action[] = "hang-up";

} // namespace bus_names
