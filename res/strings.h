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

// Opening the serial port failed: %1 the port's name.
inline constexpr char PortInUse[] = "The serial port %1 is in use by another program: close that program, or choose "
                                    "another port in the configuration.";
inline constexpr char PortInUseBy[] = "The serial port %1 is in use by another program (%2): close that program, or "
                                      "choose another port in the configuration.";
inline constexpr char PortNoPermission[] =
    "You have no permission to use the serial port %1: ask for access to it, then log out and log in again.";
inline constexpr char PortNoPermissionGroup[] =
    "You have no permission to use the serial port %1: join the group \"%2\" that owns it (sudo adduser \"$USER\" "
    "%2), then log out and log in again.";
inline constexpr char PortMissing[] = "The serial port %1 does not exist or was unplugged: plug the modem in, or "
                                      "choose another port in the configuration.";
// %2 one of the NotSerial texts below.
inline constexpr char PortNotSerial[] = "%1 is not a serial port (%2): choose the modem's port in the configuration.";
inline constexpr char NotSerialFile[] = "it is a regular file";
inline constexpr char NotSerialFolder[] = "it is a folder";
inline constexpr char NotSerialPipe[] = "it is a named pipe";
inline constexpr char NotSerialLongName[] = "the name is far too long";
inline constexpr char NotSerialDevice[] = "it is a device of another kind";
// Opening the serial port %1 was refused: %2 the group that owns it (NewLogin), its owner (OwnerOnly).
inline constexpr char PortNoPermissionNewLogin[] = "You have no permission to use the serial port %1 yet: you were "
                                                   "added to the group \"%2\" that owns it after you logged in. Log "
                                                   "out and log in again.";
inline constexpr char PortOwnerOnly[] = "You have no permission to use the serial port %1: only its owner (%2) may use "
                                        "it. Ask the administrator for access, or choose another port in the "
                                        "configuration.";
// Settings not taken by the store at close: %1 the settings file (or registry key), %2 the reason.
inline constexpr char SettingsNotStored[] = "Couldn't store the settings in %1: %2. The changes of this run are lost.";
inline constexpr char FileNotFolder[] = "%1 is a file where a folder should be";
inline constexpr char FolderNotFile[] = "%1 is a folder where the settings file should be";
inline constexpr char StoreRefused[] = "the system refused the write";
// A second start whose request did not reach the running copy: %1 one of the reasons below.
inline constexpr char RunningCopyUnreachable[] = "Ringlet is already running, but it could not be brought to the "
                                                 "front: %1. Look for its window on the desktop or the task bar.";
// %1 the request file beside the lock.
inline constexpr char RequestFileIsFolder[] =
    "%1 is a folder where a file should be (remove it, then end Ringlet and start it again)";
inline constexpr char RequestFileNotFile[] =
    "%1 is not a regular file (remove it, then end Ringlet and start it again)";
inline constexpr char RequestFileMissing[] = "%1 is missing (end Ringlet and start it again)";
// %1 the request file, %2 the system's reason.
inline constexpr char RequestFileRefused[] = "%1 could not be written: %2";
// %1 a number of seconds.
inline constexpr char RunningCopySilent[] = "it did not answer within %1 seconds";

inline constexpr char AutomationError[] = "Automation error %1";

// Ring watching ("On Ring another com port"): %1 the port, %2 its line settings.
inline constexpr char RingNoPort[] =
    "No port is chosen for ring watching. Choose one next to \"On Ring another com port\" in the configuration.";
inline constexpr char RingBadSettings[] =
    "The line settings \"%2\" can't be used on the port %1, so it is not watched for rings.";
// Here %1 is the sentence that says why the port would not open.
inline constexpr char RingOpenFailed[] =
    "%1 Ringlet tries again every few seconds and starts watching it for rings when it can be opened.";
inline constexpr char RingCannotWatch[] = "%1 It is not watched for rings.";
inline constexpr char RingPortLost[] =
    "The port %1, watched for rings, went away. Ringlet starts watching again when it comes back.";

// What a modem's announcement says when it gives no number: withheld by the caller, or unavailable (out of area).
inline constexpr char CallerPrivate[] = "Private";
inline constexpr char CallerUnavailable[] = "Unavailable";
// A call that rang on a modem that tells callers by itself, but brought no number.
inline constexpr char CallerNoCallerId[] = "No caller ID";
// A modem that rings but sends no number: %1 the port, %2 the ring command.
inline constexpr char ModemForgotCallerId[] =
    "The modem on %1 rang for two calls in a row without telling the caller's number. Ringlet sent it %2 again "
    "after each. If calls still come without a number, check that the line has a caller-ID service (ask the "
    "telephone company), and the modem's country setting.";
// A check by hand on a modem that refuses the last-caller query.
inline constexpr char ModemTellsAtRing[] =
    "This modem tells Ringlet the caller when the phone rings; it cannot be asked for the last caller. The next "
    "call's number is shown when it rings.";

// Checks on activation ("On Another app activated").
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
// Beside the ring port: what makes the modem announce the caller between rings.
inline constexpr char RingCommandLabel[] = "Ring command";

// What finding out the modem on a port said; %1 the modem's identity (or the
// port's words below), %2 a caller-ID command or the query.
inline constexpr char DetectButton[] = "Detect";
inline constexpr char Detecting[] = "Asking the modem on %1 what it is...";
inline constexpr char DetectWaitingAtOk[] = "Waiting for the modem on %1 to answer (a few seconds at most)...";
inline constexpr char TheModemOn[] = "The modem on %1";
inline constexpr char DetectTellsCallers[] = "%1: tells callers by itself (%2)";
inline constexpr char DetectTellsAndAnswers[] = "%1: tells callers by itself (%2) and answers the last-caller query";
inline constexpr char DetectAnswersQuery[] = "%1: answers the last-caller query";
inline constexpr char DetectNoCallerId[] =
    "%1 answers, but takes no caller-ID command Ringlet knows and refuses %2: see \"Using a real modem\" in the README";
inline constexpr char DetectSilent[] =
    "No modem answers on %1: check that it is plugged in and switched on, and that this is its port";
inline constexpr char RingCommandTip[] =
    "Sent to the ring port each time it is opened, so that the modem announces the caller's number between "
    "rings (AT+VCID=1, AT#CID=1, AT+CLIP=1). Empty: nothing is sent.";
inline constexpr char NotifyCalls[] = "Notify of calls";
inline constexpr char NotAnInteger[] = "Please enter an integer.";
inline constexpr char MinutesAtLeastOne[] = "Please enter an integer of at least 1.";

// The desktop notification of a call: the summary when no name is known, and
// the label of its default action (a click on the notification).
inline constexpr char IncomingCall[] = "Incoming call";
inline constexpr char ShowRinglet[] = "Show Ringlet";
// The phone book (ringlet.vcf beside the settings) and the call history window.
inline constexpr char ImportContactsItem[] = "&Import contacts...";
inline constexpr char NameCallerItem[] = "&Name this caller...";
inline constexpr char CallHistoryItem[] = "Call &history...";
inline constexpr char ImportFileFilter[] = "vCard files (*.vcf *.vcard);;All files (*)";
// %1 the file, %2 the system's reason.
inline constexpr char PhoneBookReadFailed[] =
    "Couldn't read the phone book %1: %2. Ringlet does not write over it; names given now are kept until it ends.";
inline constexpr char PhoneBookWriteFailed[] =
    "Couldn't write the phone book %1: %2. Names given now are kept until Ringlet ends, and written with the next "
    "change.";
inline constexpr char PhoneBookNotWritten[] = "The phone book %1 could not be read, so Ringlet does not write over it. "
                                              "Names given now are kept until it ends.";
// The reasons a file from outside is not read (the %2 of the texts above and below).
inline constexpr char NotARegularFile[] = "it is not a regular file (a pipe or a device is never read)";
// %1 the bound in MB.
inline constexpr char FileTooLarge[] = "it is larger than %1 MB";
// %1 the name's length, %2 the length kept.
inline constexpr char NameCut[] = "The name given was %1 characters long; its first %2 were kept.";
// %1 the number, %2 the name the phone book gives it.
inline constexpr char NameNotTakenOut[] =
    "No contact holds %1 itself: \"%2\" is the name of a longer number that ends with it, and stays.";
// The block list: %1 the file, %2 the reason or the line.
inline constexpr char BlockListReadFailed[] = "Couldn't read the block list %1: %2. Ringlet goes on with the list as it last read it.";
inline constexpr char BlockListWriteFailed[] = "Couldn't write the block list %1: %2. The change is kept until Ringlet ends.";
inline constexpr char BlockListLineNotUnderstood[] =
    "The line \"%1\" of the block list %2 is not a number, a prefix ending in *, Private or Unavailable; it is "
    "kept, and blocks nothing.";
inline constexpr char BlockCallerItem[] = "&Block this caller";
inline constexpr char UnblockCallerItem[] = "&Unblock this caller";
inline constexpr char HungUp[] = "hung up";
// %1 the port, %2 the off-hook command.
inline constexpr char OffHookRefused[] =
    "The modem on %1 refused to pick up (%2 gave ERROR), so a blocked caller's phone rings on. Put the commands "
    "your modem takes into hangupcommand in the settings file (for example ATA ATH0, or AT+CHUP for a mobile "
    "modem).";
inline constexpr char ImportOpenFailed[] = "Couldn't read %1: %2. Nothing was imported.";
inline constexpr char ImportNoCards[] = "%1 holds no contacts: choose a vCard file (.vcf). Nothing was imported.";
inline constexpr char ImportAdded[] = "%1 numbers added to the phone book from %2.";
inline constexpr char ImportKnown[] = "%1 were in it already and keep their names.";
inline constexpr char ImportSkipped[] = "%1 entries could not be read and were skipped.";
inline constexpr char NameCallerTitle[] = "Name this caller";
// %1 the number.
inline constexpr char NameCallerPrompt[] = "Name for %1 (empty takes it out of the phone book):";
inline constexpr char CallHistoryTitle[] = "Call history";
inline constexpr char CopyNumberItem[] = "&Copy number";
inline constexpr char HistoryFilterHint[] = "Filter by number or name";
inline constexpr char HistoryTimeColumn[] = "Time";
inline constexpr char HistoryNumberColumn[] = "Number";
inline constexpr char HistoryNameColumn[] = "Name";
// A logged result that is no caller: a check that found no number (%1 the
// check's words), or a call that rang without caller ID.
inline constexpr char HistoryNoNumberFound[] = "Check found no number (%1)";
inline constexpr char HistoryCallWithoutCallerId[] = "Call without caller ID";
// A blocked caller that was hung up on: %1 the name, or nothing.
inline constexpr char HistoryBlocked[] = "blocked, hung up";
// %1 the call log.
inline constexpr char HistoryNoLog[] = "No call is logged yet: %1 does not exist.";
inline constexpr char HistoryUnreadable[] = "Couldn't read the call log %1: %2.";
inline constexpr char HistoryLoggingOff[] = "Calls are not being logged: turn on \"Enable Log\" in the configuration "
                                            "(right-click Ringlet's window, then Configuration...).";
// %1 the filter.
inline constexpr char HistoryNoMatch[] = "No logged call matches \"%1\".";
// Calls across desks (NCID): %1 the server or address as set, %2 the system's reason.
inline constexpr char NcidServerBadAddress[] = "The NCID server \"%1\" is not a host or host:port, so no calls are "
                                               "taken from another desk. Correct it in the configuration.";
inline constexpr char NcidServerUnreachable[] = "The NCID server %1 cannot be reached (%2). Ringlet keeps trying, "
                                                "and says so when it is back.";
// The reason when nothing answered: %1 a number of seconds.
inline constexpr char NcidNoAnswer[] = "it did not answer within %1 seconds";
inline constexpr char NcidServerBack[] = "The NCID server %1 can be reached again: its calls are shown.";
inline constexpr char NcidListenBadAddress[] = "\"%1\" is not an address and port to serve calls on (0.0.0.0:3333 "
                                               "for the network, 127.0.0.1:3333 for this computer only), so no "
                                               "calls are served. Correct it in the configuration.";
inline constexpr char NcidListenFailed[] = "Ringlet cannot serve calls on %1: %2. No calls are served.";
// The line a client past the most a server takes is sent before it is closed; %1 that number.
inline constexpr char NcidTooManyClients[] = "Too many clients: this Ringlet serves %1 at most";
// The summary of a notification that shows a server's message.
inline constexpr char NcidMessage[] = "Message from another desk";
inline constexpr char NcidServerLabel[] = "NCID server to show (host:port)";
inline constexpr char NcidListenLabel[] = "Serve calls on (address:port)";
inline constexpr char NcidListenWarning[] = "Every computer that can reach this address sees the calls: "
                                            "127.0.0.1:3333 is this computer only, 0.0.0.0:3333 the network.";
} // namespace Texts
