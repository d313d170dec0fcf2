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
  // A page of many pairs holds its rows as data (#pair-data): each pair's
  // row is then made when it is first shown, and only the first rows of the
  // current order are in the table, more as the reader scrolls on.
  const data = document.getElementById('pair-data');
  const statusNames = ['same', 'different', 'missing', 'error'];
  const pairs = [];
  const byRow = new Map();
  if (data) {
    for (const d of JSON.parse(data.textContent)) {
      pairs.push({row: null, listing: null, order: pairs.length, data: d,
                  status: statusNames[d[0]], name: d[1], open: false});
    }
  } else {
    for (const row of Array.from(body.rows)) {
      if (row.hasAttribute('data-pair')) {
        pairs.push({row: row, listing: null, order: pairs.length,
                    status: row.dataset.status, name: row.dataset.pair});
      } else if (row.classList.contains('listing') && pairs.length > 0) {
        const pair = pairs[pairs.length - 1];
        pair.listing = row;
        pair.row.classList.add('has-listing');
      }
    }
  }
  for (const pair of pairs) {
    if (pair.row) {
      byRow.set(pair.row, pair);
    }
  }

  // --- Rows made from data ---------------------------------------------------

  const escapes =
      {'&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', '\'': '&#39;'};
  function escaped(text) {
    return text.replace(/[&<>"']/g, (c) => escapes[c]);
  }

  // The row of a pair as the page writes it when it holds its rows (the
  // data's fields are described where the page is written).
  function rowHtml(d) {
    const status = statusNames[d[0]];
    const name = escaped(d[1]);
    const more = d[7] || [0, '', ''];
    const hook = 'data-pair';  // the tools' hook, as on every row
    let html = '<tr ' + hook + '="' + name + '" data-status="' + status +
        '"><td>' + status + '</td><td class="name">';
    html += d[6] ? '<a href="#l' + (d[6] - 1) + '">' : '';
    html += name.replace(/[/\\]/g, '$&<wbr>');
    html += d[6] ? '</a>' : '';
    if (more[0] & 1) {
      html += '<span class="msg">(not UTF-8: each byte shown as one ' +
          'character)</span>';
    }
    if (more[1]) {
      html += '<span class="msg">' + escaped(more[1]) + '</span>';
    }
    if (more[2]) {
      html += '<span class="sw">' + escaped(more[2]) + '</span>';
    }
    html += '</td>';
    if (d[2]) {
      for (const count of d[2]) {
        html += '<td>' + count + '</td>';
      }
      const largest = d[3];
      if (!largest) {
        html += '<td></td>';
      } else if (largest.length < 3) {
        html += valueCell(largest[0], '', escaped(largest[1]));
      } else {
        html += valueCell(largest[0],
            ' class="excused" title="' + escaped(largest[2]) + '"',
            escaped(largest[1]) + ' excused');
      }
    } else {
      html += '<td></td>'.repeat(6);
    }
    return html + valueCell(d[4], '', escaped(d[5])) + '</tr>';
  }

  // A cell whose value for sorting is `value`.
  function valueCell(value, attributes, html) {
    return '<td' + attributes + ' data-v="' + value + '">' + html + '</td>';
  }

  // Makes the rows of `list` that are not made yet, all in one go.
  function makeRows(list) {
    const missing = list.filter((pair) => !pair.row);
    if (missing.length === 0) {
      return;
    }
    const maker = document.createElement('template');
    maker.innerHTML = missing.map((pair) => rowHtml(pair.data)).join('');
    const rows = Array.from(maker.content.children);
    missing.forEach((pair, i) => {
      pair.row = rows[i];
      byRow.set(pair.row, pair);
      if (pair.data[6]) {
        pair.row.classList.add('has-listing');
      }
    });
  }

  // The listing row of a pair, made from its text the first time.
  function listingOf(pair) {
    if (!pair.listing && data && pair.data[6]) {
      const text = document.getElementById('l' + (pair.data[6] - 1) + '-data');
      if (text) {
        const maker = document.createElement('template');
        maker.innerHTML = text.textContent;
        pair.listing = maker.content.firstElementChild;
      }
    }
    return pair.listing;
  }

  // The pairs in their current order, and those the filter lets through;
  // with rows as data, the first `limit` of these are in the table.
  let ordered = pairs.slice();
  let shownPairs = pairs.slice();
  const step = 500;
  let limit = step;
  const more = document.createElement('tr');
  more.className = 'more';
  more.innerHTML = '<td colspan="9"><button type="button">Show more</button> ' +
      '<span></span></td>';
  more.querySelector('button').addEventListener('click', () => showMore());

  function draw() {
    const list = shownPairs.slice(0, limit);
    makeRows(list);
    const rows = document.createDocumentFragment();
    for (const pair of list) {
      rows.append(pair.row);
      if (pair.open && listingOf(pair)) {
        rows.append(pair.listing);
      }
    }
    const left = shownPairs.length - list.length;
    if (left > 0) {
      more.querySelector('span').textContent = left + ' more pairs';
      rows.append(more);
    }
    body.replaceChildren(rows);
    for (const pair of list) {
      if (pair.open) {
        setOpen(pair, true);
      }
    }
  }

  function showMore() {
    limit += step;
    draw();
  }

  // More rows are drawn as the end of the table comes into view.
  if ('IntersectionObserver' in window) {
    new IntersectionObserver((entries) => {
      if (entries.some((entry) => entry.isIntersecting)) {
        showMore();
      }
    }, {rootMargin: '400px'}).observe(more);
  }

  // --- Sorting ---------------------------------------------------------------

  function cellValue(pair, column, kind) {
    if (kind === 'status') {
      return statusRank[pair.status];
    }
    if (kind === 'text') {
      return pair.name;
    }
    let text;
    if (pair.data) {
      const d = pair.data;
      text = column === 8 ? d[4] :
          column === 7    ? (d[3] ? d[3][0] : '') :
          d[2]            ? String(d[2][column - 2]) :
                            '';
    } else {
      const cell = pair.row.cells[column];
      text = cell.dataset.v !== undefined ? cell.dataset.v : cell.textContent;
    }
    const value = text.trim() === '' ? NaN : Number(text);
    return Number.isNaN(value) ? -Infinity : value;
  }

  function sortBy(column, direction) {
    const kind = headers[column].dataset.kind || 'number';
    const keyed = pairs.map((pair) => [cellValue(pair, column, kind), pair]);
    keyed.sort((a, b) => {
      if (a[0] !== b[0]) {
        return (a[0] < b[0] ? -1 : 1) * direction;
      }
      return a[1].order - b[1].order;
    });
    ordered = keyed.map((entry) => entry[1]);
    if (data) {
      applyFilter();
    } else {
      const rows = document.createDocumentFragment();
      for (const pair of ordered) {
        rows.append(pair.row);
        if (pair.listing) {
          rows.append(pair.listing);
        }
      }
      body.append(rows);
    }
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
    const visible = (pair) => wanted.has(pair.status) &&
        (query === '' || pair.name.toLowerCase().includes(query));
    if (data) {
      shownPairs = ordered.filter(visible);
      limit = step;
      draw();
    } else {
      shownPairs = [];
      for (const pair of pairs) {
        const shown = visible(pair);
        if (pair.row.hidden === shown) {
          pair.row.hidden = !shown;
          if (pair.listing) {
            pair.listing.hidden = !shown;
          }
        }
        if (shown) {
          shownPairs.push(pair);
        }
      }
    }
    shown.textContent = shownPairs.length + ' of ' + pairs.length +
        ' pairs shown';
  }

  const counts = {};
  for (const pair of pairs) {
    counts[pair.status] = (counts[pair.status] || 0) + 1;
  }
  for (const box of boxes) {
    box.parentNode.querySelector('.n').textContent =
        '(' + (counts[box.value] || 0) + ')';
    box.addEventListener('change', applyFilter);
  }
  search.addEventListener('input', applyFilter);

  // --- Folding ---------------------------------------------------------------

  function setOpen(pair, open) {
    if (data && pair.data[6]) {
      pair.open = open;
      if (!pair.row || !pair.row.isConnected) {
        return;  // made open when it is drawn
      }
      if (open && listingOf(pair) && !pair.listing.isConnected) {
        pair.row.after(pair.listing);
      }
    }
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
    if (!pair || !(pair.listing || (data && pair.data[6]))) {
      return;
    }
    event.preventDefault();
    setOpen(pair, !(pair.listing && pair.listing.classList.contains('open')));
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
    for (const pair of shownPairs) {
      setOpen(pair, true);
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
