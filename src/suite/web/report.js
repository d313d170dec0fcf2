// Behaviour for the zudiz-suite report. The page is whole without it: this
// only adds sorting, the status filter, the name search, folding of the
// listings, the highlighting and hover details of their words, and the tip
// of a number in its whole line. It reads
// everything from the page itself and fetches nothing.
(function() {
'use strict';

// Set before the body is read, so that folded listings are never laid out.
const root = document.documentElement;
root.classList.add('js');

function init() {
  const table = document.getElementById('pair-table');
  const body = table.tBodies[0];
  const controls = document.getElementById('controls');
  const search = document.getElementById('search');
  const shown = document.getElementById('shown');
  const boxes = Array.from(controls.querySelectorAll('input[type=checkbox]'));
  const headers = Array.from(table.tHead.rows[0].cells);

  const statusRank = {different: 0, error: 1, missing: 2, same: 3};
  const verdictNames =
      ['listed', 'below 0.1 %', 'last place only', 'within tolerance'];

  // Every pair: its row, the row of its listing (or null), its first place.
  const pairs = [];
  for (const row of Array.from(body.rows)) {
    if (row.hasAttribute('data-pair')) {
      pairs.push({row: row, listing: null, order: pairs.length});
    } else if (row.classList.contains('listing') && pairs.length > 0) {
      const pair = pairs[pairs.length - 1];
      pair.listing = row;
      pair.row.classList.add('has-listing');
    }
  }
  const byRow = new Map(pairs.map((pair) => [pair.row, pair]));

  // --- Sorting ---------------------------------------------------------------

  function cellValue(row, column, kind) {
    const cell = row.cells[column];
    if (kind === 'status') {
      return statusRank[row.dataset.status];
    }
    if (kind === 'text') {
      return row.dataset.pair;
    }
    const text =
        cell.dataset.v !== undefined ? cell.dataset.v : cell.textContent;
    const value = text.trim() === '' ? NaN : Number(text);
    return Number.isNaN(value) ? -Infinity : value;
  }

  function sortBy(column, direction) {
    const kind = headers[column].dataset.kind || 'number';
    const keyed =
        pairs.map((pair) => [cellValue(pair.row, column, kind), pair]);
    keyed.sort((a, b) => {
      if (a[0] !== b[0]) {
        return (a[0] < b[0] ? -1 : 1) * direction;
      }
      return a[1].order - b[1].order;
    });
    const rows = document.createDocumentFragment();
    for (const [, pair] of keyed) {
      rows.append(pair.row);
      if (pair.listing) {
        rows.append(pair.listing);
      }
    }
    body.append(rows);
    headers.forEach((header, i) => {
      if (i === column) {
        header.setAttribute(
            'aria-sort', direction > 0 ? 'ascending' : 'descending');
      } else {
        header.removeAttribute('aria-sort');
      }
    });
  }

  headers.forEach((header, column) => {
    header.tabIndex = 0;
    header.addEventListener('click', () => {
      const now = header.getAttribute('aria-sort');
      // Numbers start with the largest, names and statuses with the first.
      const first = header.dataset.kind ? 1 : -1;
      const direction = now === 'ascending' ? -1 :
          now === 'descending'              ? 1 :
                                              first;
      sortBy(column, direction);
    });
    header.addEventListener('keydown', (event) => {
      if (event.key === 'Enter' || event.key === ' ') {
        event.preventDefault();
        header.click();
      }
    });
  });

  // --- Filtering -------------------------------------------------------------

  function applyFilter() {
    const wanted =
        new Set(boxes.filter((box) => box.checked).map((box) => box.value));
    const query = search.value.trim().toLowerCase();
    let count = 0;
    for (const pair of pairs) {
      const visible = wanted.has(pair.row.dataset.status) &&
          (query === '' || pair.row.dataset.pair.toLowerCase().includes(query));
      if (pair.row.hidden === visible) {
        pair.row.hidden = !visible;
        if (pair.listing) {
          pair.listing.hidden = !visible;
        }
      }
      if (visible) {
        count++;
      }
    }
    shown.textContent = count + ' of ' + pairs.length + ' pairs shown';
  }

  const counts = {};
  for (const pair of pairs) {
    const status = pair.row.dataset.status;
    counts[status] = (counts[status] || 0) + 1;
  }
  for (const box of boxes) {
    box.parentNode.querySelector('.n').textContent =
        '(' + (counts[box.value] || 0) + ')';
    box.addEventListener('change', applyFilter);
  }
  search.addEventListener('input', applyFilter);

  // --- Folding ---------------------------------------------------------------

  function setOpen(pair, open) {
    if (!pair.listing) {
      return;
    }
    pair.row.classList.toggle('open', open);
    pair.listing.classList.toggle('open', open);
    if (open) {
      for (const pre of pair.listing.querySelectorAll(
               'pre.out:not([data-done])')) {
        if (onScreen) {
          onScreen.observe(pre);
        } else {
          highlight(pre);
        }
      }
    }
  }

  // A listing's words are wrapped when it first comes into view, so that
  // expanding a thousand listings at once costs nothing until they are read.
  const onScreen = 'IntersectionObserver' in window ?
      new IntersectionObserver((entries) => {
        for (const entry of entries) {
          if (entry.isIntersecting) {
            onScreen.unobserve(entry.target);
            highlight(entry.target);
          }
        }
      }) :
      null;

  body.addEventListener('click', (event) => {
    const row = event.target.closest('tr');
    const pair = row && byRow.get(row);
    if (!pair || !pair.listing) {
      return;
    }
    event.preventDefault();
    setOpen(pair, !pair.listing.classList.contains('open'));
  });

  // The listing as printed, behind its own fold, is wrapped when opened.
  body.addEventListener('toggle', (event) => {
    const details = event.target;
    if (details.matches && details.matches('details.printed') && details.open) {
      const pre = details.querySelector('pre.out');
      if (pre) {
        highlight(pre);
      }
    }
  }, true);

  document.getElementById('expand-all').addEventListener('click', () => {
    for (const pair of pairs) {
      if (!pair.row.hidden) {
        setOpen(pair, true);
      }
    }
  });
  document.getElementById('collapse-all').addEventListener('click', () => {
    for (const pair of pairs) {
      setOpen(pair, false);
    }
  });

  // --- Words of a listing ----------------------------------------------------

  // A number as written in a report: sign, digits with an optional point,
  // an optional E or D exponent. Anything else gets no hover details unless
  // the program kept a record of it.
  const numberPattern = /^[+-]?(\d+\.?\d*|\.\d+)([EeDd][+-]?\d+)?$/;

  function readNumber(word) {
    return numberPattern.test(word) ? Number(word.replace(/[Dd]/, 'e')) : null;
  }

  function details(value1, value2, verdict) {
    // Measured as the rule that excuses tiny differences measures it: by
    // the mean of the two magnitudes.
    const absolute = Math.abs(value1 - value2);
    const mean = (Math.abs(value1) + Math.abs(value2)) / 2;
    const relative = mean === 0 ? 0 : absolute / mean;
    const lines = [
      value1 + ' \u2192 ' + value2,
      'absolute difference ' + Number(absolute.toPrecision(6)),
      'relative difference ' + Number((relative * 100).toPrecision(4)) + ' %',
    ];
    lines.push(
        verdict === null ? '(read from the listing)' : verdictNames[verdict]);
    return lines.join('\n');
  }

  // Records the program kept for one pair of lines: column -> values.
  function records(text) {
    const byColumn = new Map();
    for (const entry of (text || '').split(' ')) {
      const parts = entry.split(':');
      if (parts.length === 4) {
        byColumn.set(
            Number(parts[0]),
            [Number(parts[1]), Number(parts[2]), Number(parts[3])]);
      }
    }
    return byColumn;
  }

  // Wraps each word of each listed pair of lines in a span, so that the two
  // words of a column light up together and numbers show their details.
  // The text of the listing stays exactly as it was.
  function highlight(pre) {
    if (pre.dataset.done) {
      return;
    }
    pre.dataset.done = '1';
    const start = Number(pre.dataset.col);
    for (const pairOfLines of pre.querySelectorAll('span.d')) {
      const lines = pairOfLines.textContent.split('\n');
      const columns = pairOfLines.dataset.c.split(' ').map(Number);
      const words = [[], []];
      pairOfLines.textContent = '';
      lines.forEach((line, k) => {
        if (k > 0) {
          pairOfLines.append('\n');
        }
        pairOfLines.append(line.slice(0, start));
        const text = line.slice(start);
        let at = 0;
        columns.forEach((column, c) => {
          if (column >= text.length) {
            return;
          }
          let end = text.indexOf(' ', column);
          if (end < 0) {
            end = text.length;
          }
          if (end === column) {
            return;
          }
          pairOfLines.append(text.slice(at, column));
          const word = document.createElement('span');
          word.className = 'w';
          word.dataset.c = c;
          word.textContent = text.slice(column, end);
          pairOfLines.append(word);
          words[k][c] = word;
          at = end;
        });
        pairOfLines.append(text.slice(at));
      });
      const kept = records(pairOfLines.dataset.n);
      columns.forEach((column, c) => {
        const one = words[0][c];
        const two = words[1][c];
        if (!one || !two) {
          return;
        }
        let title = null;
        if (kept.has(c)) {
          const [value1, value2, verdict] = kept.get(c);
          title = details(value1, value2, verdict);
        } else {
          const value1 = readNumber(one.textContent);
          const value2 = readNumber(two.textContent);
          if (value1 !== null && value2 !== null) {
            title = details(value1, value2, null);
          }
        }
        if (title !== null) {
          for (const word of [one, two]) {
            word.classList.add('num');
            word.title = title;
          }
        }
      });
    }
  }

  // The two words of a column light up together.
  function partners(word) {
    const pairOfLines = word.closest('span.d');
    return pairOfLines ?
        pairOfLines.querySelectorAll('.w[data-c="' + word.dataset.c + '"]') :
        [];
  }
  body.addEventListener('mouseover', (event) => {
    const word = event.target.closest('.w');
    if (word) {
      for (const w of partners(word)) {
        w.classList.add('hl');
      }
    }
  });
  body.addEventListener('mouseout', (event) => {
    const word = event.target.closest('.w');
    if (word) {
      for (const w of partners(word)) {
        w.classList.remove('hl');
      }
    }
  });

  // --- Details of a number in its whole line --------------------------------

  // One tip for the page, shown below a numeric word while it is pointed at
  // or has the keyboard focus.
  const tip = document.createElement('div');
  tip.id = 'tip';
  tip.setAttribute('role', 'tooltip');
  tip.hidden = true;
  document.body.append(tip);

  // The values and verdict of a numeric word's pair, held by the
  // candidate's word: the n-th numeric word of the baseline's line pairs
  // with the n-th of the candidate's.
  function tipText(mark) {
    let holder = mark;
    if (mark.dataset.n === undefined) {
      const block = mark.closest('pre.change');
      const marks = Array.from(block.querySelectorAll('mark.num'));
      const baseline = marks.filter((m) => m.dataset.n === undefined);
      const candidate = marks.filter((m) => m.dataset.n !== undefined);
      holder = candidate[baseline.indexOf(mark)];
      if (!holder) {
        return null;
      }
    }
    const [value1, value2, verdict] = holder.dataset.n.split(' ').map(Number);
    const mean = (Math.abs(value1) + Math.abs(value2)) / 2;
    const relative = mean === 0 ? 0 : Math.abs(value1 - value2) / mean;
    return value1 + ' \u2192 ' + value2 + ', relative difference ' +
        Number((relative * 100).toPrecision(3)) + ' %, ' + verdictNames[verdict];
  }

  function showTip(mark) {
    const text = tipText(mark);
    if (text === null) {
      return;
    }
    tip.textContent = text;
    tip.hidden = false;
    mark.setAttribute('aria-describedby', 'tip');
    const box = mark.getBoundingClientRect();
    const width = tip.offsetWidth;
    const left = Math.max(4, Math.min(box.left, window.innerWidth - width - 4));
    const below = box.bottom + 4 + tip.offsetHeight < window.innerHeight;
    tip.style.left = left + 'px';
    tip.style.top =
        (below ? box.bottom + 4 : box.top - tip.offsetHeight - 4) + 'px';
  }

  function hideTip(mark) {
    tip.hidden = true;
    mark.removeAttribute('aria-describedby');
  }

  for (const [show, hide] of [['mouseover', 'mouseout'], ['focusin', 'focusout']]) {
    body.addEventListener(show, (event) => {
      const mark = event.target.closest('mark.num');
      if (mark) {
        showTip(mark);
      }
    });
    body.addEventListener(hide, (event) => {
      const mark = event.target.closest('mark.num');
      if (mark) {
        hideTip(mark);
      }
    });
  }

  controls.hidden = false;
  applyFilter();
}

// data-ready: when the page has been drawn with its controls working, in
// milliseconds from the start of loading (tests wait for it).
function ready() {
  init();
  requestAnimationFrame(() => setTimeout(() => {
                          root.dataset.ready =
                              String(Math.round(performance.now()));
                        }));
}
if (document.readyState === 'loading') {
  document.addEventListener('DOMContentLoaded', ready);
} else {
  ready();
}
})();
