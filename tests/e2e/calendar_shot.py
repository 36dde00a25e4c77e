#!/usr/bin/python3
"""Reads the program's drawn calendar from screenshots.

  calendar_shot.py grid SHOT X Y W H
      The calendar's rectangle X Y W H (screen pixels) in SHOT: prints
      "fill=F vertical=V horizontal=H": F the share of the rectangle that
      the box round everything drawn (all that is not the background)
      covers, V and H the grid lines that cross the date grid (lines of
      the colour of the grid's bottom-left corner along 80 % of it).
  calendar_shot.py cell BEFORE AFTER X Y W H
      Prints where AFTER differs from BEFORE inside the rectangle: "none",
      the date cell (0 to 41, row by row) that holds every difference, or
      "spread" when the differences leave one cell.
  calendar_shot.py centre SHOT X Y W H CELL
      The screen position of the centre of a date cell.
  calendar_shot.py index YEAR MONTH DAY
      The cell of a date on this month's page, Sunday first.
  calendar_shot.py ink PLAIN BOLD [X Y W H CELL]
      A date drawn plain in PLAIN, then bold (its note written) in BOLD:
      "plain=P bold=B", the ink of the date in each, in pixels of full ink
      (a pixel counts by how far it is from the colour most of the place
      has). The place is where the shots differ or, given the calendar's
      rectangle, inside the grid lines and frame of date cell CELL.
"""
import datetime
import sys

from PIL import Image, ImageChops


def crop(path, x, y, w, h):
    return Image.open(path).convert("RGB").crop((x, y, x + w, y + h))


def background(image):
    w, h = image.size
    return max(image.getcolors(w * h))[1]


def line_colour(image):
    """The grid's colour: the one that makes up most of one of the bottom
    rows (the grid's bottom line, whatever rounding put it a row higher)."""
    w, h = image.size
    back = background(image)
    for y in range(h - 1, max(-1, h - 5), -1):
        colours = [(c, col) for c, col in image.crop((0, y, w, y + 1)).getcolors(w) if col != back]
        if colours and max(colours)[0] >= 0.8 * w:
            return max(colours)[1]
    return None


def lines(image):
    w, h = image.size
    px = image.load()
    line = line_colour(image)
    # Vertical lines over the lower half (the date rows), horizontal over
    # the whole width.
    vertical = [x for x in range(w)
                if sum(px[x, y] == line for y in range(h // 2, h)) >= 0.8 * (h - h // 2)]
    horizontal = [y for y in range(h)
                  if sum(px[x, y] == line for x in range(w)) >= 0.8 * w]
    return line, vertical, horizontal


def runs(positions):
    """Adjacent positions are one line."""
    out = []
    for p in positions:
        if out and p == out[-1][-1] + 1:
            out[-1].append(p)
        else:
            out.append([p])
    return [r[0] for r in out]


def grid(path, x, y, w, h):
    image = crop(path, x, y, w, h)
    mask = Image.new("RGB", image.size, background(image))
    box = ImageChops.difference(image, mask).getbbox() or (0, 0, 0, 0)
    fill = (box[2] - box[0]) * (box[3] - box[1]) / float(w * h)
    _, vertical, horizontal = lines(image)
    print(f"fill={fill:.3f} vertical={len(runs(vertical))} horizontal={len(runs(horizontal))}")


def cells(image):
    """The 42 date cells as (left, top, right, bottom) between grid lines."""
    _, vertical, horizontal = lines(image)
    xs = runs(vertical)
    ys = runs(horizontal)[-7:]  # the six rows' tops and the bottom line
    if len(xs) != 8 or len(ys) != 7:
        sys.exit(f"unreadable grid ({len(xs)} columns, {len(ys)} rows)")
    return [(xs[i % 7], ys[i // 7], xs[i % 7 + 1], ys[i // 7 + 1]) for i in range(42)]


def cell(before, after, x, y, w, h):
    a = crop(before, x, y, w, h)
    b = crop(after, x, y, w, h)
    box = ImageChops.difference(a, b).getbbox()
    if box is None:
        print("none")
        return
    for i, (left, top, right, bottom) in enumerate(cells(a)):
        if box[0] > left and box[2] <= right and box[1] > top and box[3] <= bottom:
            print(i)
            return
    print("spread")


def centre(path, x, y, w, h, index):
    left, top, right, bottom = cells(crop(path, x, y, w, h))[index]
    print(x + (left + right) // 2, y + (top + bottom) // 2)


def ink(plain, bold, rect=None):
    a = Image.open(plain).convert("RGB")
    b = Image.open(bold).convert("RGB")
    if rect:
        x, y, w, h, index = rect
        left, top, right, bottom = cells(crop(plain, x, y, w, h))[index]
        pad = max(4, (right - left) // 10)  # inside the grid lines and today's frame
        box = (x + left + pad, y + top + pad, x + right - pad, y + bottom - pad)
    else:
        box = ImageChops.difference(a, b).getbbox()
    if box is None:
        sys.exit("the shots are the same")
    a, b = a.crop(box), b.crop(box)
    back = background(a)

    def count(image):
        return round(sum(max(abs(p - q) for p, q in zip(px, back)) for px in image.getdata()) / 255)
    print(f"plain={count(a)} bold={count(b)}")


def index(year, month, day):
    first = datetime.date.today().replace(day=1)
    before = (first.isoweekday() % 7) or 7  # days of the month before
    start = first - datetime.timedelta(days=before)
    print((datetime.date(year, month, day) - start).days)


if __name__ == "__main__":
    command, args = sys.argv[1], sys.argv[2:]
    if command == "grid":
        grid(args[0], *map(int, args[1:5]))
    elif command == "cell":
        cell(args[0], args[1], *map(int, args[2:6]))
    elif command == "centre":
        centre(args[0], *map(int, args[1:6]))
    elif command == "ink":
        ink(args[0], args[1], [int(a) for a in args[2:7]])
    elif command == "index":
        index(*map(int, args[:3]))
    else:
        sys.exit(__doc__)
