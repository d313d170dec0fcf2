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
// typedName in the letter case typed). A word that holds a slash and names
// an existing file (Host::isExistingFile) is one file name with no switches
// in it. A word that would be a bad switch ends the run with "Could not
// open" and the word instead when the folder before its last slash exists
// (Host::isExistingFolder; POSIX only). Returns only when the word was
// handled without error.
//
// `whole`, when not null, is the word as the platform handed it over,
// zero-terminated and kept for the whole run (ArgumentReader::wholeWord).
// A word longer than `word` holds that names an existing file is that
// file: it is opened by its whole name and shown cut.
void processArgument(RunState& run, Word& word, const char* whole = nullptr);

// Stores `name` (shown cut to 256 characters) as file name 1 or else 2, as
// processArgument stores what remains of a word, but whole: a slash in it
// starts no switch. An empty name stores nothing. Ends the run with "Too many
// files" when both names are taken. `whole`, when not null, is `name`
// zero-terminated and kept for the whole run: a longer name is then opened
// whole.
void processFileName(RunState& run, std::string_view name,
                     const char* whole = nullptr);
