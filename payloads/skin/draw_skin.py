#!/usr/bin/python3
"""Draws every skin image of Lumora into png/<id>.png.

Shapes are drawn four times larger and scaled down (smooth edges); text is
drawn at final size, so it stays crisp. Needs python3-pil and the WenQuanYi
Micro Hei font (fonts-wqy-microhei). Run it after changing the artwork:

    /usr/bin/python3 payloads/skin/draw_skin.py

The rendered PNGs are kept in the repository; the build only packs them.
"""
import math
import os
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "png")
FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
S = 4  # supersampling factor of the shape layer

# The house colours.
BLUE = (27, 129, 251)
BLUE_DARK = (7, 102, 218)
BLUE_LIGHT = (90, 165, 255)
TINT = (236, 244, 255)
INK = (51, 51, 51)
GREY = (128, 132, 138)
GREY_LIGHT = (200, 205, 213)
GREEN = (1, 195, 125)
WHITE = (255, 255, 255)
RED = (232, 17, 35)
ORANGE = (255, 122, 41)

_fonts = {}


def font(px):
    if px not in _fonts:
        _fonts[px] = ImageFont.truetype(FONT, px)
    return _fonts[px]


class Art:
    """One image: a supersampled shape layer, then text at final size."""

    def __init__(self, w, h, bg=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.big = Image.new("RGBA", (w * S, h * S), bg)
        self.d = ImageDraw.Draw(self.big)
        self.small = None

    # -- shapes, in final-size coordinates (floats allowed) --
    def _box(self, box):
        return [round(v * S) for v in box]

    def _draw(self, colours, paint):
        """Runs paint(draw) straight on the image when every colour is opaque;
        otherwise on a layer that is then composited, so that translucent
        shapes blend with what lies below instead of replacing it."""
        if all(c is None or len(c) == 3 or c[3] == 255 for c in colours):
            paint(self.d)
            return
        layer = Image.new("RGBA", self.big.size, (0, 0, 0, 0))
        paint(ImageDraw.Draw(layer))
        self.big.alpha_composite(layer)

    def rrect(self, box, r, fill=None, outline=None, width=1.0):
        self._draw([fill, outline], lambda d: d.rounded_rectangle(
            self._box(box), radius=round(r * S), fill=fill, outline=outline,
            width=max(1, round(width * S)) if outline else 0))

    def rect(self, box, fill):
        self._draw([fill], lambda d: d.rectangle(self._box(box), fill=fill))

    def ellipse(self, box, fill=None, outline=None, width=1.0):
        self._draw([fill, outline], lambda d: d.ellipse(
            self._box(box), fill=fill, outline=outline, width=max(1, round(width * S)) if outline else 0))

    def line(self, pts, fill, width=1.0, joint="curve"):
        def paint(d):
            d.line([(x * S, y * S) for x, y in pts], fill=fill, width=max(1, round(width * S)), joint=joint)
            # Round the ends.
            r = width * S / 2
            for x, y in (pts[0], pts[-1]):
                d.ellipse([x * S - r, y * S - r, x * S + r, y * S + r], fill=fill)
        self._draw([fill], paint)

    def polygon(self, pts, fill):
        self._draw([fill], lambda d: d.polygon([(x * S, y * S) for x, y in pts], fill=fill))

    def arc(self, box, start, end, fill, width):
        self._draw([fill], lambda d: d.arc(self._box(box), start, end, fill=fill, width=max(1, round(width * S))))

    def gradient_rrect(self, box, r, top, bottom):
        """A rounded rectangle filled with a vertical gradient."""
        x0, y0, x1, y1 = self._box(box)
        grad = Image.new("RGBA", (1, 256))
        for i in range(256):
            t = i / 255
            grad.putpixel((0, i), tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)))
        grad = grad.resize((x1 - x0, y1 - y0))
        mask = Image.new("L", (x1 - x0, y1 - y0), 0)
        ImageDraw.Draw(mask).rounded_rectangle([0, 0, x1 - x0 - 1, y1 - y0 - 1], radius=round(r * S), fill=255)
        layer = Image.new("RGBA", self.big.size, (0, 0, 0, 0))
        layer.paste(grad, (x0, y0), mask)
        self.big.alpha_composite(layer)

    def shadow(self, box, r, blur, alpha, colour=(0, 0, 0), dy=0.0):
        """A soft shadow under a rounded rectangle."""
        layer = Image.new("RGBA", self.big.size, colour + (0,))
        mask = Image.new("L", self.big.size, 0)
        x0, y0, x1, y1 = box
        ImageDraw.Draw(mask).rounded_rectangle(self._box((x0, y0 + dy, x1, y1 + dy)), radius=round(r * S),
                                               fill=alpha)
        mask = mask.filter(ImageFilter.GaussianBlur(blur * S))
        layer.putalpha(mask)
        self.big.alpha_composite(layer)

    # -- final size --
    def _scaled(self):
        if self.small is None:
            # Scale with premultiplied alpha, so transparent pixels leave no dark fringe.
            self.small = self.big.convert("RGBa").resize((self.w, self.h), Image.LANCZOS).convert("RGBA")
        return self.small

    def text(self, xy, s, px, colour, anchor="la", bold=False):
        img = self._scaled()
        mask = Image.new("L", img.size, 0)
        ImageDraw.Draw(mask).text(xy, s, font=font(px), fill=255, anchor=anchor,
                                  stroke_width=1 if bold else 0, stroke_fill=255)
        if bold and px < 24:
            # A full pixel of stroke is too heavy for small text: soften it.
            thin = Image.new("L", img.size, 0)
            ImageDraw.Draw(thin).text(xy, s, font=font(px), fill=255, anchor=anchor)
            mask = Image.blend(thin, mask, 0.45)
        a = colour[3] if len(colour) == 4 else 255
        if a != 255:
            mask = mask.point(lambda v: v * a // 255)
        layer = Image.new("RGBA", img.size, colour[:3] + (0,))
        layer.putalpha(mask)
        img.alpha_composite(layer)

    def text_width(self, s, px):
        return font(px).getlength(s)

    def image(self):
        return self._scaled()


def arrow_arc(a, cx, cy, r, start, end, colour, width, head):
    """An arc running clockwise from start to end degrees, with an arrowhead at its end."""
    a.arc((cx - r, cy - r, cx + r, cy + r), start, end, colour, width)
    t = math.radians(end)
    ex, ey = cx + (r - width / 2) * math.cos(t), cy + (r - width / 2) * math.sin(t)
    tx, ty = -math.sin(t), math.cos(t)   # direction of travel
    nx, ny = math.cos(t), math.sin(t)    # outward
    a.polygon([(ex + tx * head * 1.1, ey + ty * head * 1.1),
               (ex + nx * head - tx * head * 0.2, ey + ny * head - ty * head * 0.2),
               (ex - nx * head - tx * head * 0.2, ey - ny * head - ty * head * 0.2)], colour)


def opaque(img):
    """Flattens onto white: the store copies opaque images unchanged."""
    out = Image.new("RGBA", img.size, WHITE + (255,))
    out.alpha_composite(img)
    return out


def strip(frames):
    w = sum(f.width for f in frames)
    out = Image.new("RGBA", (w, frames[0].height), (0, 0, 0, 0))
    x = 0
    for f in frames:
        out.paste(f, (x, 0))
        x += f.width
    return out


def rgba(c, a):
    return tuple(c[:3]) + (a,)


# ---------------------------------------------------------------------------
# Window backgrounds

def bg_mf():
    img = Image.new("RGBA", (920, 600), WHITE + (255,))
    ImageDraw.Draw(img).rectangle([0, 0, 919, 143], fill=BLUE + (255,))
    return img


def msgbox_bg():
    img = Image.new("RGBA", (521, 278), WHITE + (255,))
    ImageDraw.Draw(img).rectangle([0, 0, 520, 214], fill=BLUE + (255,))
    return img


def logo():
    a = Art(24, 24)
    a.rrect((1, 1, 23, 23), 6, fill=WHITE + (255,))
    # A circular arrow: the system made new.
    arrow_arc(a, 12, 12, 6.8, 60, 330, BLUE + (255,), 2.6, 3.4)
    return a.image()


def app_icon(size=256):
    """The program's icon: the logo's arrow in white on the blue tile."""
    k = size / 24
    a = Art(size, size)
    a.rrect((0.5 * k, 0.5 * k, 23.5 * k, 23.5 * k), 5.5 * k, fill=BLUE + (255,))
    arrow_arc(a, 12 * k, 12 * k, 6.8 * k, 60, 330, WHITE + (255,), 2.6 * k, 3.4 * k)
    return a.image()


def title_button(kind):
    frames = []
    for state in range(3):
        a = Art(24, 20)
        if state == 1:
            a.rrect((0, 0, 24, 20), 3, fill=(RED + (255,)) if kind == "close" else (255, 255, 255, 56))
        elif state == 2:
            a.rrect((0, 0, 24, 20), 3, fill=((176, 12, 26, 255)) if kind == "close" else (0, 40, 110, 70))
        glyph = WHITE + ((230,) if state == 0 else (255,))
        if kind == "close":
            a.line([(7.5, 5.5), (16.5, 14.5)], glyph, 1.5)
            a.line([(16.5, 5.5), (7.5, 14.5)], glyph, 1.5)
        else:
            a.line([(7.5, 10.5), (16.5, 10.5)], glyph, 1.5)
        frames.append(a.image())
    return strip(frames)


# ---------------------------------------------------------------------------
# Step banners

STEPS = ["开始装机", "选择系统", "下载文件", "完成重启"]


def banner(n):
    a = Art(787, 35, BLUE + (255,))
    px = 15
    groups = []
    for k, label in enumerate(STEPS, start=1):
        cx = 787 * (2 * k - 1) / 8
        width = 24 + 8 + a.text_width(label, px)
        x0 = cx - width / 2
        groups.append((k, label, x0, x0 + width))
    # Connectors between the steps.
    for (k, _, _, end), (_, _, start, _) in zip(groups, groups[1:]):
        done = k < n
        y = 17.5
        x = end + 16
        while x < start - 16:
            a.ellipse((x - 1.2, y - 1.2, x + 1.2, y + 1.2), fill=(255, 255, 255, 200 if done else 90))
            x += 7
    for k, label, x0, x1 in groups:
        if k == n:
            a.rrect((x0 - 10, 3, x1 + 14, 32), 14.5, fill=(255, 255, 255, 44))
            a.ellipse((x0, 5.5, x0 + 24, 29.5), fill=WHITE + (255,))
        elif k < n:
            a.ellipse((x0, 5.5, x0 + 24, 29.5), fill=(255, 255, 255, 70))
            a.line([(x0 + 7, 17.8), (x0 + 10.8, 21.5), (x0 + 17.5, 13.5)], WHITE + (255,), 2.0)
        else:
            a.ellipse((x0 + 0.75, 6.25, x0 + 23.25, 28.75), outline=(255, 255, 255, 130), width=1.5)
    for k, label, x0, x1 in groups:
        if k == n:
            a.text((x0 + 12, 17.5), str(k), 14, BLUE, "mm", bold=True)
            a.text((x0 + 32, 17.5), label, px, WHITE, "lm", bold=True)
        elif k < n:
            a.text((x0 + 32, 17.5), label, px, (255, 255, 255, 225), "lm")
        else:
            a.text((x0 + 12, 17.5), str(k), 13, (255, 255, 255, 160), "mm")
            a.text((x0 + 32, 17.5), label, px, (255, 255, 255, 160), "lm")
    return a.image()


# ---------------------------------------------------------------------------
# Home page

def monitor(a, x, y, w, h):
    """A flat monitor with a fresh desktop on its screen."""
    a.shadow((x, y, x + w, y + h), 10, 8, 70, (27, 90, 180), dy=8)
    a.rrect((x, y, x + w, y + h), 10, fill=(40, 52, 72, 255))
    sx0, sy0, sx1, sy1 = x + 9, y + 9, x + w - 9, y + h - 9
    a.gradient_rrect((sx0, sy0, sx1, sy1), 4, (60, 150, 255, 255), (20, 110, 235, 255))
    # Stand.
    a.polygon([(x + w / 2 - 22, y + h), (x + w / 2 + 22, y + h), (x + w / 2 + 30, y + h + 30),
               (x + w / 2 - 30, y + h + 30)], (196, 206, 222, 255))
    a.rrect((x + w / 2 - 62, y + h + 28, x + w / 2 + 62, y + h + 36), 4, fill=(168, 182, 204, 255))
    return sx0, sy0, sx1, sy1


def pg1():
    a = Art(841, 364, WHITE + (255,))
    # Background: soft circles behind the illustration.
    a.ellipse((40, 18, 380, 358), fill=TINT + (255,))
    a.ellipse((300, 20, 350, 70), fill=(222, 236, 255, 255))
    a.ellipse((36, 250, 70, 284), fill=(222, 236, 255, 255))
    sx0, sy0, sx1, sy1 = monitor(a, 72, 78, 276, 176)
    cx, cy = (sx0 + sx1) / 2, (sy0 + sy1) / 2 - 6
    # A circular arrow on the screen, with a progress line under it.
    arrow_arc(a, cx, cy, 34, 60, 330, WHITE + (255,), 9, 12)
    a.rrect((cx - 60, sy1 - 26, cx + 60, sy1 - 18), 4, fill=(255, 255, 255, 70))
    a.rrect((cx - 60, sy1 - 26, cx + 22, sy1 - 18), 4, fill=WHITE + (255,))
    # A badge with a tick, at the screen's corner.
    a.shadow((316, 56, 368, 108), 26, 5, 60, (0, 120, 80), dy=4)
    a.ellipse((316, 56, 368, 108), fill=GREEN + (255,))
    a.line([(330, 82), (339, 91), (355, 73)], WHITE + (255,), 5)
    # A small shield at the left: data kept safe.
    a.shadow((44, 150, 92, 198), 24, 5, 50, (200, 90, 0), dy=4)
    a.ellipse((44, 150, 92, 198), fill=ORANGE + (255,))
    a.polygon([(68, 161), (80, 166), (79, 179), (68, 188), (57, 179), (56, 166)], WHITE + (255,))
    a.polygon([(68, 166), (75, 169), (74.5, 178), (68, 183.5)], ORANGE + (255,))

    # Feature row: three round icons.
    feats = [(505, "无需U盘光盘"), (635, "智能推荐系统"), (765, "全程自动安装")]
    for fx, _ in feats:
        a.ellipse((fx - 21, 160, fx + 21, 202), fill=TINT + (255,))
    # Icon 1: a crossed-out disc.
    a.ellipse((505 - 11, 170, 505 + 11, 192), outline=BLUE + (255,), width=2.2)
    a.ellipse((505 - 3, 178, 505 + 3, 184), outline=BLUE + (255,), width=2)
    a.line([(505 - 11, 192), (505 + 11, 170)], BLUE + (255,), 2.2)
    # Icon 2: a star.
    pts = []
    for i in range(10):
        r = 12 if i % 2 == 0 else 5.2
        t = math.radians(-90 + 36 * i)
        pts.append((635 + r * math.cos(t), 182 + r * math.sin(t)))
    a.polygon(pts, BLUE + (255,))
    # Icon 3: a play arrow in a ring.
    a.ellipse((765 - 12, 169, 765 + 12, 193), outline=BLUE + (255,), width=2.2)
    a.polygon([(765 - 3.5, 175.5), (765 + 6.5, 181), (765 - 3.5, 186.5)], BLUE + (255,))
    # Tip line background.
    a.rrect((20, 322, 821, 352), 15, fill=(255, 247, 236, 255))
    a.ellipse((32, 329, 48, 345), fill=ORANGE + (255,))

    # Text.
    a.text((440, 88), "一键", 42, BLUE, "ls", bold=True)
    a.text((440 + a.text_width("一键", 42) + 2, 88), "重装系统", 42, INK, "ls", bold=True)
    a.text((442, 126), "简单  ·  快速  ·  安全  ·  纯净", 18, GREY, "ls")
    for fx, label in feats:
        a.text((fx, 222), label, 13, INK, "mm")
    a.text((440, 290), "支持 Windows XP / 7 / 8 / 10", 14, GREY, "lm")
    a.text((40, 337.5), "!", 13, WHITE, "mm", bold=True)
    a.text((58, 337.5), "温馨提示：重装系统将清除系统盘（C盘）中的数据，请提前备份桌面、我的文档等重要文件。",
           13, (150, 98, 40), "lm")
    img = a.image()
    # The underline below the slogan, drawn at final size.
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([442, 144, 478, 147], radius=2, fill=BLUE + (255,))
    return opaque(img)


def pill_button(w, h, label, px, state, radius=None, shadow=True):
    a = Art(w, h)
    r = radius if radius is not None else (h - 6) / 2
    top, bottom = {0: ((52, 148, 255), BLUE), 1: ((88, 170, 255), (50, 146, 255)),
                   2: (BLUE_DARK, (5, 88, 190))}[state]
    dy = 1 if state == 2 else 0
    box = (2, 1 + dy, w - 2, h - 5 + dy)
    if shadow and state != 2:
        a.shadow(box, r, 2.2, 110, (20, 100, 220), dy=2.5)
    a.gradient_rrect(box, r, top + (255,), bottom + (255,))
    a.text((w / 2, (box[1] + box[3]) / 2), label, px, WHITE, "mm", bold=True)
    return a.image()


def btn_setup():
    return strip([pill_button(180, 48, "立即重装", 19, s) for s in range(3)])


def syslist_bg():
    a = Art(859, 402)
    a.rrect((0.5, 0.5, 858.5, 401.5), 8, fill=WHITE + (255,), outline=(150, 196, 252, 255), width=1)
    return a.image()


# ---------------------------------------------------------------------------
# System tiles

TILES = {
    "XP": ("XP", "32位", (96, 186, 70), (38, 138, 72)),
    "7-64": ("7", "64位", (58, 130, 230), (28, 84, 180)),
    "7-86": ("7", "32位", (58, 130, 230), (28, 84, 180)),
    "8-64": ("8", "64位", (30, 190, 190), (8, 130, 150)),
    "8-86": ("8", "32位", (30, 190, 190), (8, 130, 150)),
    "10-64": ("10", "64位", (40, 150, 255), (10, 96, 214)),
    "10-86": ("10", "32位", (40, 150, 255), (10, 96, 214)),
}


def tile(key):
    version, bits, top, bottom = TILES[key]
    a = Art(100, 60)
    a.gradient_rrect((0, 0, 100, 60), 7, top + (255,), bottom + (255,))
    a.ellipse((52, -30, 140, 58), fill=(255, 255, 255, 26))
    # A four-pane window.
    gx, gy, g = 10, 19.5, 10
    for i, j in ((0, 0), (1, 0), (0, 1), (1, 1)):
        a.rrect((gx + i * (g + 1.6), gy + j * (g + 1.6), gx + i * (g + 1.6) + g, gy + j * (g + 1.6) + g), 1.6,
                fill=(255, 255, 255, 235))
    # The bitness pill sits right after the version number.
    px0 = 38 + a.text_width(version, 22) + 4
    a.rrect((px0, 40, px0 + 26, 52), 6, fill=(255, 255, 255, 60))
    a.text((39, 16), "Windows", 11, (255, 255, 255, 225), "lm")
    a.text((38, 34), version, 22, WHITE, "lm", bold=True)
    a.text((px0 + 13, 46), bits, 10, WHITE, "mm")
    return a.image()


def btn_installsys():
    frames = []
    for state in range(3):
        a = Art(100, 30)
        box = (1, 1, 99, 29)
        if state == 0:
            a.rrect(box, 14, fill=WHITE + (255,), outline=BLUE + (255,), width=1.2)
            colour = BLUE
        else:
            top, bottom = ((70, 160, 255), (36, 136, 252)) if state == 1 else ((10, 98, 205), (6, 86, 186))
            a.gradient_rrect(box, 14, top + (255,), bottom + (255,))
            colour = WHITE
        a.text((50, 15 + (1 if state == 2 else 0)), "立即安装", 14, colour, "mm", bold=state > 0)
        frames.append(a.image())
    return strip(frames)


def jxhot():
    a = Art(47, 28)
    a.gradient_rrect((1, 2, 46, 23), 6, (255, 140, 60, 255), (246, 82, 54, 255))
    a.polygon([(9, 22), (17, 22), (10, 27.5)], (246, 82, 54, 255))
    a.text((23.5, 12.5), "推荐", 13, WHITE, "mm", bold=True)
    return a.image()


def bar(w, h, top, bottom, highlight=True):
    a = Art(w, h)
    a.gradient_rrect((0, 0, w, h), h / 2 - 0.5 if h < 12 else 6, top + (255,), bottom + (255,))
    if highlight:
        a.rrect((3, 1.2, w - 3, h / 2 - 0.3), 2.5, fill=(255, 255, 255, 50))
    return a.image()


def track(w, h, colour, edge):
    a = Art(w, h)
    a.rrect((0, 0, w, h), h / 2 - 0.5 if h < 12 else 6, fill=colour + (255,))
    a.rrect((0.5, 0.5, w - 0.5, h - 0.5), h / 2 - 1 if h < 12 else 5.5, outline=edge + (255,), width=1)
    return a.image()


# ---------------------------------------------------------------------------
# Download, install and finish pages

CAPTIONS = [  # caption, x of its label, y of its label
    ("正在下载 :", 114, 36), ("保存路径 :", 306, 36),
    ("文件大小 :", 114, 88), ("下载速度 :", 306, 88), ("已接收 :", 482, 88), ("已完成 :", 650, 88),
]


def wvdownloadbg():
    a = Art(722, 204, WHITE + (255,))
    a.rrect((0.5, 0.5, 721.5, 203.5), 8, fill=(247, 250, 255, 255), outline=(214, 230, 252, 255), width=1)
    a.rect((20, 69.5, 702, 70.5), (226, 236, 250, 255))
    a.rect((20, 127.5, 702, 128.5), (226, 236, 250, 255))
    a.ellipse((24, 153, 42, 171), fill=BLUE + (255,))
    for caption, x, y in CAPTIONS:
        a.text((x - 6, y + 8), caption, 15, (96, 102, 112), "rm")
    a.text((33, 162), "i", 13, WHITE, "mm", bold=True)
    a.text((52, 162), "温馨提示：下载完成后将自动进入安装，下载期间请不要关闭程序或断开网络。", 13, GREY, "lm")
    return opaque(a.image())


def jxrun():
    a = Art(136, 160)
    a.ellipse((4, 16, 132, 144), fill=TINT + (255,))
    cx = 68
    glass = (206, 228, 255, 255)
    # Two bulbs joined at a narrow neck.
    def bulb(y0, y1, flip):
        pts = []
        for i in range(41):
            t = i / 40
            y = y0 + (y1 - y0) * t
            u = t if not flip else 1 - t
            half = 4 + 28 * math.sin(math.pi / 2 * (1 - u)) ** 0.8
            pts.append((cx + half, y))
        return pts + [(2 * cx - x, y) for x, y in reversed(pts)]
    a.polygon(bulb(30, 80, False), glass)
    a.polygon(bulb(80, 130, True), glass)
    sand = (255, 166, 54, 255)
    # Sand left in the top bulb, the falling stream and the heap below.
    a.polygon([(cx - 17, 56), (cx + 17, 56), (cx + 4, 77), (cx - 4, 77)], sand)
    a.rect((cx - 1.2, 76, cx + 1.2, 112), sand)
    a.polygon([(cx - 26, 128), (cx - 14, 112), (cx, 106), (cx + 14, 112), (cx + 26, 128)], sand)
    # Frame: top and bottom caps with posts.
    for y in (20, 130):
        a.rrect((cx - 42, y, cx + 42, y + 11), 5, fill=BLUE + (255,))
    for x in (cx - 36, cx + 33):
        a.rrect((x, 28, x + 3, 132), 1.5, fill=BLUE_DARK + (255,))
    a.rrect((cx - 36, 22, cx - 10, 25), 1.5, fill=(255, 255, 255, 90))
    return a.image()


def jxend():
    a = Art(160, 160)
    a.ellipse((4, 4, 156, 156), outline=rgba(GREEN, 70), width=2)
    a.ellipse((14, 14, 146, 146), fill=(230, 250, 242, 255))
    a.shadow((28, 22, 132, 126), 52, 5, 90, (0, 140, 90), dy=4)
    a.gradient_rrect((28, 22, 132, 126), 52, (44, 214, 150, 255), (1, 176, 112, 255))
    a.line([(55, 73), (72, 90), (105, 56)], WHITE + (255,), 10)
    # A ribbon across the bottom, like a stamp's band.
    a.shadow((30, 112, 130, 140), 6, 3, 60, (0, 120, 80), dy=2)
    a.rrect((30, 112, 130, 140), 6, fill=WHITE + (255,), outline=GREEN + (255,), width=1.6)
    a.text((80, 126), "准备完成", 15, GREEN, "mm", bold=True)
    return a.image()


def dsrootip():
    a = Art(679, 27, WHITE + (255,))
    a.rrect((0, 0, 679, 27), 13.5, fill=(234, 250, 243, 255))
    a.ellipse((12, 5.5, 28, 21.5), fill=GREEN + (255,))
    a.text((20, 13.5), "i", 12, WHITE, "mm", bold=True)
    a.text((36, 13.5), "温馨提示：安装环境已准备就绪，倒计时结束后电脑将自动重启并开始安装系统，请勿关闭电源。",
           13, (40, 120, 90), "lm")
    return opaque(a.image())


def jxrestart():
    a = Art(180, 48)
    box = (2, 2, 178, 46)
    a.shadow(box, 22, 2.5, 70, (0, 140, 90), dy=1.5)
    a.rrect(box, 22, fill=WHITE + (255,), outline=GREEN + (255,), width=1.6)
    # A restart symbol: an open ring with a bar through its gap.
    a.arc((20, 14, 40, 34), 300, 240, GREEN + (255,), 2.6)
    a.line([(30, 11.5), (30, 22)], GREEN + (255,), 2.6)
    a.text((48, 25), "立即重启", 18, GREEN, "lm", bold=True)
    return a.image()


# ---------------------------------------------------------------------------
# Toolkit images

def soft_frame():
    """A soft shadow ring: transparent inside, fading out over the 5 outer pixels."""
    w, h, inset = 60, 134, 5
    big = Image.new("L", (w * S, h * S), 0)
    ImageDraw.Draw(big).rounded_rectangle([inset * S, inset * S, (w - inset) * S - 1, (h - inset) * S - 1],
                                          radius=2 * S, fill=255)
    blurred = big.filter(ImageFilter.GaussianBlur(2.2 * S))
    ring = ImageChops.subtract(blurred, big).resize((w, h), Image.LANCZOS)
    alpha = ring.point(lambda v: min(255, v * 150 // 255))
    img = Image.new("RGBA", (w, h), (20, 40, 80, 0))
    img.putalpha(alpha)
    # A faint line along the window's own edge.
    edge = Image.new("L", (w, h), 0)
    ImageDraw.Draw(edge).rectangle([inset - 1, inset - 1, w - inset, h - inset], outline=60)
    img.putalpha(ImageChops.lighter(alpha, edge))
    return img


def tab_button(state):
    a = Art(10, 25)
    fill, edge = {0: ((242, 244, 248), (218, 223, 230)), 1: ((228, 240, 255), (160, 200, 250)),
                  2: (BLUE, BLUE_DARK)}[state]
    a.rrect((0, 0, 10, 28), 3, fill=fill + (255,), outline=edge + (255,), width=1)
    return a.image()


THUMB = {0: GREY_LIGHT, 1: (150, 160, 176), 2: BLUE}
ARROW = {0: (170, 176, 186), 1: (100, 108, 122), 2: BLUE}


def scroll_track(w, h):
    a = Art(w, h)
    a.rrect((0, 0, w, h), min(w, h) / 2, fill=(241, 243, 246, 255))
    return a.image()


def scroll_thumb(w, h, state):
    a = Art(w, h)
    if w < h:
        a.rrect((2, 1, w - 2, h - 1), (w - 4) / 2, fill=THUMB[state] + (255,))
    else:
        a.rrect((1, 2, w - 1, h - 2), (h - 4) / 2, fill=THUMB[state] + (255,))
    return a.image()


def scroll_arrow(w, h, direction, state):
    a = Art(w, h)
    if state:
        a.rrect((0, 0, w, h), 2, fill=(225, 232, 242, 255) if state == 1 else (210, 226, 250, 255))
    cx, cy, k = w / 2, h / 2, 2.2
    pts = {"up": [(cx - k, cy + k / 2), (cx, cy - k / 2), (cx + k, cy + k / 2)],
           "down": [(cx - k, cy - k / 2), (cx, cy + k / 2), (cx + k, cy - k / 2)],
           "left": [(cx + k / 2, cy - k), (cx - k / 2, cy), (cx + k / 2, cy + k)],
           "right": [(cx - k / 2, cy - k), (cx + k / 2, cy), (cx - k / 2, cy + k)]}[direction]
    a.line(pts, ARROW[state] + (255,), 1.3)
    return a.image()


def checkbox():
    frames = []
    for state in range(4):
        a = Art(17, 17)
        checked, hot = state >= 2, state % 2 == 1
        if checked:
            a.rrect((1.5, 1.5, 15.5, 15.5), 3, fill=(BLUE_LIGHT if hot else BLUE) + (255,))
            a.line([(4.8, 8.6), (7.4, 11.2), (12.2, 5.8)], WHITE + (255,), 1.8)
        else:
            a.rrect((1.5, 1.5, 15.5, 15.5), 3, fill=WHITE + (255,),
                    outline=(BLUE if hot else (184, 191, 201)) + (255,), width=1.1)
        frames.append(a.image())
    return strip(frames)


def flat_button():
    frames = []
    for state in range(3):
        a = Art(22, 22)
        if state == 1:
            a.rrect((0, 0, 22, 22), 3, fill=(255, 255, 255, 50))
        elif state == 2:
            a.rrect((0, 0, 22, 22), 3, fill=(0, 30, 90, 60))
        frames.append(a.image())
    return strip(frames)


def all_images():
    imgs = {
        "Bg_Mf": bg_mf(),
        "Msgbox_bg": msgbox_bg(),
        "LOGO": logo(),
        "Yk_Close": title_button("close"),
        "Yk_Mini": title_button("mini"),
        "Pg1": pg1(),
        "Btn_setup": btn_setup(),
        "Syslist_bg": syslist_bg(),
        "Btn_installsys": btn_installsys(),
        "JXHot": jxhot(),
        "Jxpro1": track(102, 13, (232, 238, 246), (218, 226, 238)),
        "Jxpro2": bar(102, 13, (84, 168, 255), BLUE),
        "Wvdownloadbg": wvdownloadbg(),
        "Jxrun": jxrun(),
        "JXend": jxend(),
        "Dsrootip": dsrootip(),
        "Jxrestart": jxrestart(),
        "WVBulepro": bar(98, 9, (84, 168, 255), BLUE, highlight=False),
        "ZeDaraSlider_Aio_light_bkg": soft_frame(),
        "ZeDaraScrollbar_bkg": scroll_track(10, 62),
        "ZeDaraScrollbar_horz_bkg": scroll_track(34, 10),
        "ZeDaraCheckBox": checkbox(),
        "ZeDaraFlatBtn": flat_button(),
        "ZeDaraBar_base": track(102, 13, (236, 238, 241), (222, 225, 230)),
        "ZeDaraBar_cur": bar(102, 13, (44, 214, 150), GREEN),
    }
    for n in range(1, 5):
        imgs["Banner_%d" % n] = banner(n)
    for key in TILES:
        imgs[key] = tile(key)
    for i, name in enumerate(("normal", "hot", "down")):
        imgs["ZeDaraTab_button_" + name] = tab_button(i)
    for i, name in enumerate(("normal", "highlight", "down")):
        imgs["ZeDaraScrollbar_bar_" + name] = scroll_thumb(10, 42, i)
        imgs["ZeDaraScrollbar_horzbar_" + name] = scroll_thumb(34, 10, i)
        imgs["ZeDaraScrollbar_arrowup_" + name] = scroll_arrow(10, 9, "up", i)
        imgs["ZeDaraScrollbar_arrowdown_" + name] = scroll_arrow(10, 9, "down", i)
        imgs["ZeDaraScrollbar_arrowleft_" + name] = scroll_arrow(9, 10, "left", i)
        imgs["ZeDaraScrollbar_arrowright_" + name] = scroll_arrow(9, 10, "right", i)
    return imgs


def read_list():
    rows = []
    with open(os.path.join(HERE, "images.txt"), encoding="utf-8") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                rid, w, h, mode = line.split()
                rows.append((rid, int(w), int(h), mode))
    return rows


def main():
    imgs = all_images()
    rows = read_list()
    names = {r[0] for r in rows}
    extra = set(imgs) - names
    missing = names - set(imgs)
    if extra or missing:
        sys.exit("draw_skin: images not matching images.txt: extra %s, missing %s" % (sorted(extra), sorted(missing)))
    os.makedirs(OUT, exist_ok=True)
    for rid, w, h, mode in rows:
        img = imgs[rid]
        if img.size != (w, h):
            sys.exit("draw_skin: %s is %dx%d, wants %dx%d" % (rid, img.width, img.height, w, h))
        if mode == "opaque" and img.getextrema()[3][0] != 255:
            sys.exit("draw_skin: %s must be opaque" % rid)
        img.save(os.path.join(OUT, rid + ".png"), optimize=True)
    # The program's icon (window, taskbar and tray), every size from one drawing.
    icon = os.path.join(os.path.dirname(OUT), "lumora.ico")
    # Bitmap entries below 256 pixels: Windows XP reads no PNG inside icons.
    app_icon().save(icon, sizes=[(16, 16), (24, 24), (32, 32), (48, 48)], bitmap_format="bmp")
    print("draw_skin: %d images in %s, icon %s" % (len(rows), OUT, icon))


if __name__ == "__main__":
    main()
