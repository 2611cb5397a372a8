// Texts the user and the host see that more than one part of the plug-in uses.
// Some are misspelt ("search resulst", "parametrs", "programm"): hosts match the
// box caption, and users' notes and help pages quote the others, exactly as they
// stand, so they are kept as they are.
#pragma once

namespace kolvar {

inline constexpr char kMessageBoxCaption[] = "Kolvar programm";
inline constexpr char kNoChannels[] = "JTV files not found";
inline constexpr char kAbortQuestion[] = "Search already running. Abort?";
inline constexpr char kNowShowingAbortQuestion[] = "Search running. Abort?";
// The result list box's hint when the current line is no result.
inline constexpr char kResultListHint[] = "search resulst";
inline constexpr char kTooManyResults[] =
    "Too many results, change search parametrs and try again!!!\n"
    "                       operation terminated";
inline constexpr char kTextFileFilter[] = "Text file (*.txt)|*.TXT";
// "Save list": the text list, or the matches as a calendar for calendar programs.
inline constexpr char kResultListFileFilter[] = "Text file (*.txt)|*.TXT|Calendar (*.ics)|*.ICS";
inline constexpr char kNoMatchesToSave[] =
    "The list holds no matches: there is nothing to save as a calendar.";
// The calendar kept updated after every search.
inline constexpr char kCalendarFileFilter[] = "Calendar (*.ics)|*.ICS";
inline constexpr char kCalendarKept[] =
    " is rewritten with the matches after every search from now on, for a calendar program "
    "that subscribes to it.\r\n\r\nPress Save to keep this choice when the host starts again.";
inline constexpr char kCalendarNotSaved[] = "The calendar could not be saved to ";
inline constexpr char kCalendarToldOnce[] =
    ". It is written again after every search; this is said once.";
inline constexpr char kResultsNotShownNotice[] =
    "-results not shown, because ShowInPref value is false. See file \"settings.ini\". "
    "Click this message or popup menu";

}  // namespace kolvar
