// Paths are kept in Windows form, as the plug-in builds them (a folder with its
// trailing backslash followed by a name); they become native only at the file
// system's edge.
#pragma once

#include <string>
#include <string_view>

namespace kolvar {

// folder + name, with one backslash between them when the folder lacks an ending
// separator. An empty folder gives the name alone.
std::string JoinPath(std::string_view folder, std::string_view name);

// Everything up to and including the last backslash or slash; empty when there is none.
std::string DirectoryPart(std::string_view path);

// A text file's name as the save dialogs take it: a name whose fourth character
// from the end is a dot (a three-letter extension) stays, any other gets ".txt".
std::string WithTextExtension(std::string path);

// A name typed into a save dialog without any extension gets the one of the file
// type chosen (filterIndex, from 1, of a filter "Name|*.EXT|Name|*.EXT"), in small
// letters, as the dialog shows it; any other name, or a type without one plain
// extension, leaves the path as it is.
std::string WithChosenExtension(std::string path, std::string_view filter, int filterIndex);

}  // namespace kolvar
