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
inline constexpr char kResultsNotShownNotice[] =
    "-results not shown, because ShowInPref value is false. See file \"settings.ini\". "
    "Click this message or popup menu";

}  // namespace kolvar
