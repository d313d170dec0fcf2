// The switches: every slash in a command-line word starts one, matched
// against the keyword table with minimal abbreviations; what is left of the
// word is the next file name. Fills RunState::settings and the file names;
// ends the run on a bad switch, a usage request or a third file name.
#pragma once

#include <string_view>

#include "cmdline/command_words.h"

struct RunState;

// Upper-cases `word` in place, applies every switch in it and stores what
// remains, if anything, as file name 1 or else 2 (fileName upper-cased,
// typedName in the letter case typed). A word that holds a slash and, as
// typed, names an existing file is one file name with no switches in it.
// Returns only when the word was handled without error.
void processArgument(RunState& run, Word& word);

// Stores `name` (cut to 256 characters) as file name 1 or else 2, as
// processArgument stores what remains of a word, but whole: a slash in it
// starts no switch. An empty name stores nothing. Ends the run with "Too many
// files" when both names are taken.
void processFileName(RunState& run, std::string_view name);
