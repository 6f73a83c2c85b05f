#!/usr/bin/env python3
"""Writes the vector glyph of every block type to data/glyphs/<name>.svg.

Each glyph is drawn from what its block does: a filter shows its step
response, a waveform source one period of its wave, a math block its
formula. Lines are black, one unit wide; texts carry an id beginning with
"text" so that the mirrored variant can keep them readable. The size of a
glyph is the body of the smallest block type that uses it, less 2 pixels on
every side, read as name=WxH lines from standard input (sizes.txt beside
this script lists them).

    python3 tools/glyphs/make_glyphs.py data/glyphs < tools/glyphs/sizes.txt
"""
import math
import sys


def fmt(v):
    return ("%.2f" % v).rstrip("0").rstrip(".")


class Glyph:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.art = []
        self.texts = []

    def line(self, pts, width=1, fill="none"):
        d = " ".join(fmt(x) + "," + fmt(y) for x, y in pts)
        tag = "polygon" if fill != "none" else "polyline"
        self.art.append('<%s points="%s" fill="%s" stroke="black" stroke-width="%s"/>' % (tag, d, fill, width))

    def rect(self, x, y, w, h, fill="none"):
        self.art.append('<rect x="%s" y="%s" width="%s" height="%s" fill="%s" stroke="black" stroke-width="1"/>'
                        % (fmt(x), fmt(y), fmt(w), fmt(h), fill))

    def circle(self, cx, cy, r, fill="none"):
        self.art.append('<circle cx="%s" cy="%s" r="%s" fill="%s" stroke="black" stroke-width="1"/>'
                        % (fmt(cx), fmt(cy), fmt(r), fill))

    def text(self, s, x, y, size=9, weight="normal", anchor="middle"):
        s = s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
        self.texts.append('<text id="text%d" x="%s" y="%s" font-family="sans-serif" font-size="%s" '
                          'font-weight="%s" text-anchor="%s" fill="black">%s</text>'
                          % (len(self.texts), fmt(x), fmt(y), size, weight, anchor, s))

    def svg(self):
        return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n'
                '<g id="art">\n%s\n</g>\n%s\n</svg>\n'
                % (self.w, self.h, self.w, self.h, "\n".join(self.art), "\n".join(self.texts)))

    # --- Building blocks -------------------------------------------------
    def box(self, margin=2):
        return (margin, margin, self.w - margin, self.h - margin)

    def axes(self, box):
        x0, y0, x1, y1 = box
        self.line([(x0, y0), (x0, y1), (x1, y1)])

    def plot(self, fn, box, t0=0.0, t1=1.0, lo=None, hi=None, n=40, steps=0, axes=True):
        x0, y0, x1, y1 = box
        ts = [t0 + (t1 - t0) * i / n for i in range(n + 1)]
        vs = [fn(t) for t in ts]
        lo = min(vs) if lo is None else lo
        hi = max(vs) if hi is None else hi
        span = (hi - lo) or 1.0
        def X(t): return x0 + 2 + (x1 - x0 - 3) * (t - t0) / (t1 - t0)
        def Y(v): return y1 - 2 - (y1 - y0 - 4) * (v - lo) / span
        if axes:
            self.axes(box)
        if steps:
            pts = []
            for i in range(steps):
                ta = t0 + (t1 - t0) * i / steps
                tb = t0 + (t1 - t0) * (i + 1) / steps
                v = fn(ta)
                pts += [(X(ta), Y(v)), (X(tb), Y(v))]
            self.line(pts)
        else:
            self.line([(X(t), Y(v)) for t, v in zip(ts, vs)])

    def center_text(self, s, size=None, dy=0, weight="normal"):
        size = size or min(12, max(7, int(self.h * 0.45)))
        self.text(s, self.w / 2, self.h / 2 + size * 0.35 + dy, size, weight)


# --- Responses and waves ----------------------------------------------------
def lpf1(t): return 1 - math.exp(-5 * t)
def lpf2(t): return 1 - math.exp(-4 * t) * (math.cos(12 * t) + 0.33 * math.sin(12 * t))
def lpf2a(t): return 1 - math.exp(-7 * t) * (1 + 7 * t)
def notch(t): return 1 - 0.9 * math.exp(-((t - 0.5) / 0.06) ** 2)
def leadlag(t): return 0.4 + 0.6 * math.exp(-6 * t)
def biquad(t): return math.exp(-((t - 0.5) / 0.15) ** 2)
def sine(t): return math.sin(2 * math.pi * t)
def cosine(t): return math.cos(2 * math.pi * t)
def square(t): return 1.0 if (t % 1.0) < 0.5 else -1.0
def triangle(t): u = t % 1.0; return 4 * u - 1 if u < 0.5 else 3 - 4 * u
def sawtooth(t): return 2 * (t % 1.0) - 1
def pi_step(t): return 0.4 + 0.8 * t
def trapezoid(t): return min(1.0, t / 0.25, (1 - t) / 0.25) if 0 <= t <= 1 else 0
def tri_profile(t): return 1 - abs(2 * t - 1)
def s_curve(t): return 0.5 - 0.5 * math.cos(math.pi * t)


def profile(g, kind):
    b = g.box(3)
    if kind == "tri":
        g.plot(tri_profile, b)
    elif kind == "avd":
        g.plot(lambda t: min(1.0, t / 0.3, (1 - t) / 0.3), b)
    elif kind == "vd":
        g.plot(lambda t: min(1.0, s_curve(min(1.0, t / 0.33)), s_curve(min(1.0, (1 - t) / 0.33))), b)
    else:
        g.plot(lambda t: s_curve(t), b)


def wave(g, fn, cycles=1.0):
    x0, y0, x1, y1 = g.box(2)
    mid = (y0 + y1) / 2
    g.line([(x0, mid), (x1, mid)], width=0.5)
    g.plot(lambda t: fn(t * cycles), (x0, y0, x1, y1), lo=-1.1, hi=1.1, axes=False)


def filt(g, fn, digital=False, label=None):
    b = (3, 3, g.w - 3, g.h - 3 - (9 if label else 0))
    g.plot(fn, b, steps=10 if digital else 0)
    if label:
        g.text(label, g.w / 2, g.h - 3, 8)


def gate(g, kind, invert=False, timed=False):
    w, h = g.w, g.h
    x0, x1, y0, y1 = w * 0.25, w * 0.62, h * 0.18, h * 0.82
    cy = (y0 + y1) / 2
    if kind == "and":
        pts = [(x0, y0), (x1 - 6, y0)]
        for i in range(13):
            a = -math.pi / 2 + math.pi * i / 12
            pts.append((x1 - 6 + (cy - y0) * math.cos(a) * 0.9, cy + (cy - y0) * math.sin(a)))
        pts += [(x0, y1), (x0, y0)]
        g.line(pts)
        tip = x1 - 6 + (cy - y0) * 0.9
    elif kind in ("or", "xor"):
        pts = []
        for i in range(13):
            t = i / 12
            pts.append((x0 + (x1 - x0) * t, y0 + (cy - y0) * t * t))
        for i in range(13):
            t = 1 - i / 12
            pts.append((x0 + (x1 - x0) * t, y1 - (y1 - cy) * t * t))
        for i in range(9):
            t = i / 8
            pts.append((x0 + 4 * math.sin(math.pi * t), y1 - (y1 - y0) * t))
        g.line(pts)
        if kind == "xor":
            g.line([(x0 - 3 + 4 * math.sin(math.pi * i / 8), y1 - (y1 - y0) * i / 8) for i in range(9)])
        tip = x1
    else:  # buffer
        g.line([(x0, y0), (x1, cy), (x0, y1), (x0, y0)])
        tip = x1
    if invert:
        g.circle(tip + 2.5, cy, 2.5)
        tip += 5
    g.line([(2, h * 0.35), (x0 + (2 if kind in ("or", "xor") else 0), h * 0.35)])
    if kind != "buffer":
        g.line([(2, h * 0.65), (x0 + (2 if kind in ("or", "xor") else 0), h * 0.65)])
    g.line([(tip, cy), (w - 2, cy)])
    if timed:
        g.circle(w * 0.4, cy, 4)
        g.line([(w * 0.4, cy), (w * 0.4, cy - 3), (w * 0.4, cy), (w * 0.4 + 2, cy)])


def compare(g, symbol):
    g.center_text(symbol, size=min(16, int(g.h * 0.55)), weight="bold")


def meter(g, label, needle=True):
    w, h = g.w, g.h
    g.rect(3, 3, w - 6, h - 6)
    cx, cy, r = w / 2, h - 6, min(w / 2 - 8, h - 14)
    if needle and r > 6:
        g.line([(cx + r * math.cos(math.pi * (1 - i / 10)), cy - r * math.sin(math.pi * (1 - i / 10)))
                for i in range(11)])
        g.line([(cx, cy), (cx + r * 0.8 * math.cos(math.pi * 0.3), cy - r * 0.8 * math.sin(math.pi * 0.3))])
    g.text(label, cx, 12, 8)


def program(g, digital=False):
    w, h = g.w, g.h
    g.rect(w * 0.18, 3, w * 0.64, h - 6)
    for i in range(4):
        y = 9 + i * (h - 14) / 4
        g.line([(w * 0.26, y), (w * 0.26 + (w * 0.45) * (0.5 + 0.5 * ((i * 37) % 5) / 4), y)])
    g.text("{ }" if not digital else "z{ }", w / 2, h - 5, 7)


def build(name, w, h):
    g = Glyph(w, h)
    n = name
    table = {
        "IconLPF1": lambda: filt(g, lpf1), "IconLPF2": lambda: filt(g, lpf2), "IconLPF2a": lambda: filt(g, lpf2a),
        "IconNotch": lambda: filt(g, notch), "IconLeadLag": lambda: filt(g, leadlag), "IconBiQuad": lambda: filt(g, biquad),
        "IconDLPF1": lambda: filt(g, lpf1, True), "IconDLPF2": lambda: filt(g, lpf2, True),
        "IconDLPF2a": lambda: filt(g, lpf2a, True), "IconDNotch": lambda: filt(g, notch, True),
        "IconDLeadLag": lambda: filt(g, leadlag, True), "IconDBiQuad": lambda: filt(g, biquad, True),
        "IconPI": lambda: filt(g, pi_step, label="PI"), "IconPIPlus": lambda: filt(g, pi_step, label="PI+"),
        "IconPID": lambda: filt(g, lambda t: (1.0 if t < 0.08 else 0.35 + 0.6 * t), label="PID"),
        "IconDPI": lambda: filt(g, pi_step, True, "PI"), "IconDPIPlus": lambda: filt(g, pi_step, True, "PI+"),
        "IconDPID": lambda: filt(g, lambda t: (1.0 if t < 0.1 else 0.35 + 0.6 * t), True, "PID"),
        "IconDPID2": lambda: filt(g, lambda t: (1.0 if t < 0.1 else 0.35 + 0.6 * t), True, "PID 2"),
        "IconSin": lambda: wave(g, sine), "IconCos": lambda: wave(g, cosine),
        "IconSquareWave": lambda: wave(g, square), "IconTriangleWave": lambda: wave(g, triangle),
        "IconSawtoothWave": lambda: wave(g, sawtooth, 2),
        "IconCompareEQ": lambda: compare(g, "="), "IconCompareNE": lambda: compare(g, "\u2260"),
        "IconCompareGT": lambda: compare(g, ">"), "IconCompareGE": lambda: compare(g, "\u2265"),
        "IconCompareLT": lambda: compare(g, "<"), "IconCompareLE": lambda: compare(g, "\u2264"),
        "IconLogicAnd": lambda: gate(g, "and"), "IconLogicNand": lambda: gate(g, "and", True),
        "IconLogicOr": lambda: gate(g, "or"), "IconLogicNor": lambda: gate(g, "or", True),
        "IconLogicXor": lambda: gate(g, "xor"), "IconLogicNXor": lambda: gate(g, "xor", True),
        "IconLogicBuffer": lambda: gate(g, "buffer"), "IconLogicNot": lambda: gate(g, "buffer", True),
        "IconLogicTimedBuffer": lambda: gate(g, "buffer", False, True),
        "IconProfileTri": lambda: profile(g, "tri"), "IconProfileAVD": lambda: profile(g, "avd"),
        "IconProfile333": lambda: profile(g, "vd"), "IconProfile333PA": lambda: profile(g, "ad"),
        "IconProgram": lambda: program(g), "IconProgramLarge": lambda: program(g),
        "IconProgramDigital": lambda: program(g, True),
        "IconMeterDCSmall": lambda: meter(g, "DC"), "IconMeterRMSSmall": lambda: meter(g, "RMS"),
        "IconMeterHarmSmall": lambda: meter(g, "Harm"), "IconMeterTimerSmall": lambda: meter(g, "Timer", False),
        "IconMeterCounter": lambda: meter(g, "Count", False),
        "IconMeterInspectorSmall": lambda: meter(g, "Inspect", False),
        "IconMeterTrigInspector": lambda: meter(g, "Trig", False),
        "IconDial": lambda: meter(g, "Dial"),
    }
    if n in table:
        table[n]()
        return g
    if n.startswith("IconSFilter") or n.startswith("IconZFilter"):
        order = int(n[-1])
        var = "s" if "SFilter" in n else "z"
        num = " + ".join(["b%d%s" % (i, var if i else "") for i in range(min(order, 2) + 1)][::-1])
        g.line([(6, h / 2), (w - 6, h / 2)])
        g.text("N(%s)" % var, w / 2, h / 2 - 2, 8)
        g.text("D(%s)  order %d" % (var, order), w / 2, h / 2 + 9, 8)
        return g
    simple = {
        "IconInt": ("\u222b", 22), "IconClampedInt": ("\u222b|", 20), "IconAbsValue": ("|x|", 12),
        "IconMinusX": ("\u2212x", 13), "IconOneOverX": ("1/x", 12), "IconSqrtSmall": ("\u221ax", 13),
        "IconExp": ("e\u02e3", 14), "IconExpLnY": ("y\u02e3", 14), "IconExpNLnY": ("y\u1d3a", 14),
        "IconDDelaySmall": ("z\u207b\u00b9", 12), "IconDDiffSmall": ("1\u2212z\u207b\u00b9", 10),
        "IconDSumSmall": ("\u03a3 T", 12), "IconDTCalcSmall": ("T calc", 9), "IconDInvTrapSmall": ("T/2", 11),
        "IconDDitherSmall": ("\u00b1\u00bd", 11), "IconTime": ("t", 16), "IconStop": ("STOP", 10),
        "IconScaleSmall": ("\u00d7k", 14), "IconIScaleSmall": ("\u00f7k", 14), "IconQuantizeSmall": ("\u230a x \u230b", 12),
        "IconVarSmall": ("x", 16), "IconSConstSmall": ("\"abc\"", 10), "IconDirectConstantSmall": ("k", 16),
        "IconDirectIConstantSmall": ("1/k", 14), "IconLabelSmall": ("!", 16), "IconBanner": ("Banner", 11),
        "IconMessage": ("Msg", 11), "IconCustDoc": ("Doc", 11), "IconCustMod": ("M", 16),
        "IconCustDctl": ("T\u209b", 14), "IconDControllerSmall": ("T\u209b", 12), "IconHarmErr": ("H err", 10),
        "IconABC2DQ": ("abc\u2192dq", 9), "IconDQ2ABC": ("dq\u2192abc", 9), "IconMotorFb": ("enc", 11),
        "IconExcelFile": ("xlsx", 10), "IconExcelLoad": ("xlsx\u2192", 10), "IconExcelStore": ("\u2192xlsx", 10),
        "IconExcelMotor": ("xlsx M", 10), "IconCustInputSmall": ("in\u2192", 11), "IconCustOutputSmall": ("\u2192out", 10),
        "IconDRandomSmall": ("rand", 10), "IconAnchorSmall": ("\u2693", 12), "IconLightBulb": ("h, T", 11),
    }
    if n in simple:
        s, size = simple[n]
        g.center_text(s, size=min(size, h - 2))
        return g
    # Pictures.
    if n == "IconClamp":
        g.plot(lambda t: max(-0.6, min(0.6, 2 * t - 1)), g.box(3))
    elif n == "IconDeadband":
        g.plot(lambda t: (2 * t - 1) - math.copysign(min(abs(2 * t - 1), 0.35), 2 * t - 1), g.box(3))
    elif n == "IconDeadbandComp":
        g.plot(lambda t: (2 * t - 1) + math.copysign(0.35, 2 * t - 1), g.box(3))
    elif n == "IconHyster":
        x0, y0, x1, y1 = g.box(3)
        g.axes(g.box(3))
        g.line([(x0 + 4, y1 - 5), (x1 - 12, y1 - 5), (x1 - 12, y0 + 4), (x1 - 2, y0 + 4)])
        g.line([(x1 - 2, y0 + 4), (x0 + 12, y0 + 4), (x0 + 12, y1 - 5)])
    elif n == "IconRampLimit":
        g.plot(lambda t: 0 if t < 0.2 else min(1.0, (t - 0.2) * 2.2), g.box(3))
    elif n == "IconRevShift":
        g.plot(lambda t: (2 * t - 1) + (0.4 if t > 0.5 else -0.4), g.box(3))
    elif n == "IconComparator":
        g.plot(lambda t: 1.0 if t > 0.5 else 0.0, g.box(3))
    elif n == "IconDSampleHoldSmall":
        g.plot(sine, g.box(3), steps=6)
    elif n == "IconSwitch" or n == "IconSwitch4":
        k = 2 if n == "IconSwitch" else 4
        ys = [h * (i + 1) / (k + 1) for i in range(k)]
        for y in ys:
            g.circle(w * 0.3, y, 1.5)
            g.line([(2, y), (w * 0.3 - 1.5, y)])
        g.line([(w * 0.3, ys[0]), (w * 0.7, h / 2), (w - 2, h / 2)])
    elif n == "IconLampSmall":
        g.circle(w / 2, h / 2, min(w, h) / 2 - 3)
        g.line([(w / 2 - 4, h / 2 - 4), (w / 2 + 4, h / 2 + 4)])
        g.line([(w / 2 - 4, h / 2 + 4), (w / 2 + 4, h / 2 - 4)])
    elif n == "IconBar":
        g.rect(4, h / 2 - 5, w - 8, 10)
        g.rect(4, h / 2 - 5, (w - 8) * 0.6, 10, fill="black")
    elif n == "IconScope" or n == "IconDSA" or n == "IconWaveGen":
        g.rect(3, 3, w - 6, h - 6)
        inner = (6, 6, w - 6 - (14 if n != "IconWaveGen" else 0), h - 6)
        if n == "IconDSA":
            g.plot(lambda t: 1 / (1 + (3 * t) ** 4), inner, axes=False)
        else:
            g.plot(sine, inner, axes=False)
        if n != "IconWaveGen":
            for i in range(3):
                g.circle(w - 12, 11 + i * (h - 22) / 2, 2)
    elif n == "IconMech2J":
        g.rect(8, h * 0.3, w * 0.25, h * 0.4)
        g.line([(8 + w * 0.25 + i * (w * 0.3) / 8, h / 2 + (3 if i % 2 else -3)) for i in range(9)])
        g.rect(8 + w * 0.55, h * 0.25, w * 0.3, h * 0.5)
    elif n == "IconDSA":
        pass
    else:
        raise SystemExit("no design for glyph " + n)
    return g


def main():
    out = sys.argv[1]
    for line in sys.stdin:
        line = line.strip()
        if not line:
            continue
        name, size = line.split("=")
        w, h = (int(v) for v in size.split("x"))
        with open("%s/%s.svg" % (out, name), "w", encoding="utf-8") as f:
            f.write(build(name, w, h).svg())


if __name__ == "__main__":
    main()
