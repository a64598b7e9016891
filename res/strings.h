// The texts the program shows, exactly as users know them (misspellings included).
#pragma once

namespace Texts {
inline constexpr char AboutMenuItem[] = "&About ringlet..."; // string 101
inline constexpr char ConfigMenuItem[] = "Configuration..."; // string 102

inline constexpr char MainTitle[] = "Ringlet";
inline constexpr char CheckButton[] = "Check";
inline constexpr char AboutTitle[] = "About ringlet";
inline constexpr char AboutVersion[] = "ringlet Version 1.0";
inline constexpr char AboutSecondLine[] = "Caller number display";

inline constexpr char OpeningPort[] = "Opening COM port...";
inline constexpr char SendingCommand[] = "Sending Command...";

inline constexpr char CantFindString[] = "Can't find string";
inline constexpr char BufferEmpty[] = "BUFFER EMPTY";

// Call log failures: %1 the log file, %2 the system's reason.
inline constexpr char LogOpenFailed[] = "Couldn't open the call log %1: %2. This call was not logged.";
inline constexpr char LogWriteFailed[] = "Couldn't write to the call log %1: %2. This call may not be logged.";

inline constexpr char AutomationError[] = "Automation error %1";
inline constexpr char NoAppNamed[] =
    "No application is named for \"On Another app activated\": activating one starts no check.";
inline constexpr char ActiveAppUnknown[] = "This desktop does not tell programs which application is active: "
                                           "\"On Another app activated\" cannot start checks here.";
inline constexpr char RegistryCaution[] = "Couldn't access registry key";
inline constexpr char CautionCaption[] = "Caution";

inline constexpr char ConfigTitle[] = "Configuration";
inline constexpr char ComPortLabel[] = "COM port";
inline constexpr char CommandLabel[] = "Nomber Dispaying AT Command";
inline constexpr char MarkerLabel[] = "String before Nomber";
inline constexpr char MinutesLabel[] = "Minuits";
inline constexpr char EnableLog[] = "Enable Log";
inline constexpr char IgnoreSame[] = "Ignore Same Nomber";
inline constexpr char Automate[] = "Automate";
inline constexpr char DisableManual[] = "Disable Manual Check";
inline constexpr char CheckEvery[] = "Check Nomber every";
inline constexpr char OnRing[] = "On Ring another com port";
inline constexpr char OnApp[] = "On Another app activated";
inline constexpr char FontButton[] = "Font....";
inline constexpr char NotAnInteger[] = "Please enter an integer.";
inline constexpr char MinutesAtLeastOne[] = "Please enter an integer of at least 1.";
} // namespace Texts
