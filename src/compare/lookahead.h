// The alignment's longer look-ahead: a block of several extra lines in one
// file, found where the one-line trials of compareLinePair (line_align.h)
// found no match, so that the lines after the block are compared in step
// instead of one row off.
//
// Taken only when Settings::lookahead is above 1 (a library caller sets it;
// the program never does). It reads only lines that lie in the page
// buffers from the current line on, after at most one fill of each window
// (which drops what lies before the line pair, as a refill for a real trial
// would): a block that the window cannot hold is not looked for, so the
// look-ahead never ends a run with "Page too large to fit in buffer", and
// it allocates nothing. It answers the same with the shortcuts on and off.
#pragma once

struct RunState;

// Right after the line pair at the pair checkpoint differed and none of the
// one-line trials matched: looks for the smallest k, 2 <= k <=
// Settings::lookahead, such that line k and line k + 1 of one file, counted
// from its line of the pair, read the same as the other file's line of the pair
// and the line after it (file 1 before file 2 for the same k). A line that
// anchors the block holds at least one word; the lines after it match when they
// read the same, or both are blank or page ends. When found: takes back what
// the pair counted, lists the k lines as k extra lines in a row would be listed
// one step at a time (each marked for its file, counted in linesCompared,
// linesDiffered and, word by word, wordDiffCount; of a run of blank lines
// only the last is listed, as a step passes the others), leaves the files on
// the matched pair and returns true. Otherwise returns false with the files,
// checkpoints, counters and pending difference as they were.
bool takeExtraLines(RunState& run);
