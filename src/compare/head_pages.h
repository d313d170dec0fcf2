// A shortcut of the page loop: page pairs that the head trimming takes whole,
// passed in one step.
//
// The plain step it replaces: comparePagePair (file_loop.h) on each pair.
// When both pages of a pair hold no word after their first headLines line
// ends (counted after the page's first token), preparePage passes each page
// to its page end while it trims the head and the blank lines after it, and
// the pair's comparison then finds both files on their page ends: nothing
// is compared, counted, listed or recorded. All the pair does is move each
// file to the first token of its next page, counting the line ends it
// passes, add one to each page number and leave the checkpoints where the
// trimming put them. passHeadOnlyPages does exactly that, read from the
// page buffers: it takes a pair only when both pages and the first tokens
// of the pages after them lie in the valid bytes, and only while the fill
// that reading each page end asks for would be put off (putsOffPageEndFill),
// so no read the plain steps would make is skipped and the window stands as
// they leave it. A file with a page end every few bytes, and pages that do
// not repeat each other (repeated_pages.h), costs about what its bytes cost.
//
// Taken only while RunValues::shortcuts is on, with the head block measured
// (extraHeadLines 0 or more), head lines skipped and no foot lines.
#pragma once

struct RunState;

// Passes the page pairs from the current one on that the head trimming takes
// whole, as comparing them would, and leaves the files on the first tokens of
// the pages after the last pair passed. Forgets the recorded repeated page
// pair. True when a pair was passed; false, with nothing changed, otherwise.
bool passHeadOnlyPages(RunState& run);
