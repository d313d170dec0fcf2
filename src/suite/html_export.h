// The suite's HTML report: one self-contained page (style, script and chart
// inline, no request outside the file) that shows a suite run at a glance.
//
// The page has a header with the run's facts and coloured totals, a chart of
// every unequal number pair by relative difference (drawn here as SVG, from
// the pairs' histograms, so it needs no script), a table with one row per
// pair (a card each on narrow screens), and for each different or failed
// pair its listed changes in their whole lines, then the program's output as
// printed behind a fold (html_pair_view.h). Without script the table keeps
// its order and every listing shows (a page of more than kHtmlRowsInline
// pairs holds its rows as data and then shows none); the page's script adds
// sorting, filtering, folding, word highlighting and the details of numeric
// pairs on hover and keyboard focus. It prints without its controls.
//
// Every text from the run (file names, switches, report text, messages) is
// escaped. Report text and program output are bytes of an 8-bit code page:
// each byte shows as the character of the same number (Latin-1), control
// bytes other than TAB and line ends as their visible symbols. Names and
// switches show as UTF-8 where they are valid UTF-8, byte by byte elsewhere.
//
// Hooks for tools: each pair's row carries data-pair="NAME" and
// data-status="same|different|missing|error".
#pragma once

#include <cstddef>
#include <string>

#include "suite/results.h"

namespace suite {

// The page for `run`, as UTF-8 bytes. `maxNumbers` caps the number records
// of each pair that the page keeps for its hover details: the largest
// relative differences, ties in file order; the chart always counts every
// unequal number pair from the histograms, and says under it when records
// were left out.
std::string exportHtml(const SuiteRun& run, std::size_t maxNumbers = 100);
// The page keeps within this many bytes, whatever the size of the run.
inline constexpr std::size_t kHtmlBudget = 24'000'000;
// A page of more rows than this holds them as data that its script shows
// as they come into view, and keeps at most kHtmlDataListings bytes of
// listings, so that a browser has it ready in a moment.
inline constexpr std::size_t kHtmlRowsInline = 10'000;
inline constexpr std::size_t kHtmlDataListings = 3'000'000;

// The page for the pairs of `pairs` (run.pairs is not read), written to
// `out`. A page that would pass `budget` bytes shows every pair that is not
// the same, the listings of the pairs with the most changed lines first, as
// many as fit, and the rows of same pairs while room is left; it counts the
// same pairs by folder and says what it left out and that the JSON record
// holds everything. A run of more than `rowsInline` pairs gets its rows as
// data for the page's script (see kHtmlRowsInline).
void writeHtml(const SuiteRun& run, const PairSource& pairs, TextSink& out,
               std::size_t maxNumbers = 100, std::size_t budget = kHtmlBudget,
               std::size_t rowsInline = kHtmlRowsInline);

}  // namespace suite
