#!/usr/bin/env python3
"""The table of docs/dimensionality.md: for each real sounding that opens,
the D+ misfit of XY and YX against the best layered fit (robust method),
both measured alike, and the periods the phase tensor marks as not 1-D.

Usage: scripts/dimensionality_table.py CLI REAL_DIR
"""
import glob
import json
import os
import subprocess
import sys

START = "100:0.5,100:5,100:50,100"


def run(cli, *args):
    p = subprocess.run([cli, *args], capture_output=True, text=True)
    return p.returncode, p.stdout


def opener(cli, path):
    """The reader that opens the file: [] (strict) or ["--import"]."""
    for extra in ([], ["--import"]):
        code, _ = run(cli, "read", path, *extra)
        if code == 0:
            code, out = run(cli, "dimensionality", path, "--json", *extra)
            if code == 0 and json.loads(out)["periods"] >= 4:
                return extra
    return None


def ranges(points):
    """Compact period ranges of the non-1-D periods."""
    marked = sorted(p["period"] for p in points if not p["one_d"])
    if not marked:
        return "none"
    allp = sorted(p["period"] for p in points)
    out, start, prev = [], None, None
    for t in allp:
        if t in marked:
            if start is None:
                start = t
            prev = t
        elif start is not None:
            out.append((start, prev))
            start = None
    if start is not None:
        out.append((start, prev))
    return ", ".join(f"{a:.3g}" if a == b else f"{a:.3g}-{b:.3g}"
                     for a, b in out) + " s"


def main():
    cli, real = sys.argv[1], sys.argv[2]
    print("| File | Reader | Mode | Data | D+ chi^2 (nrms) | 95 % point | 1-D possible | "
          "Layered fit chi^2 (nrms) | Fit's own nrms | Non-1-D periods (of all) |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for path in sorted(glob.glob(os.path.join(real, "*"))):
        name = os.path.basename(path)
        if name.endswith(".md"):
            continue
        extra = opener(cli, path)
        if extra is None:
            continue
        _, out = run(cli, "dimensionality", path, "--json", *extra)
        dims = json.loads(out)
        non1d = f"{dims['non_1d']} of {dims['periods']}: {ranges(dims['points'])}"
        for mode in ("xy", "yx"):
            code, out = run(cli, "invert", path, "--mode", mode, "--layers",
                            START, "--json", "--threads", "1", *extra)
            fit = json.loads(out) if code == 0 else None
            if isinstance(fit, list):
                fit = fit[0]
            layered = []
            if fit and fit.get("layers"):
                ls = fit["layers"]
                spec = ",".join(f"{l['rho']:.6g}:{l['thickness_km']:.6g}"
                                for l in ls[:-1]) + f",{ls[-1]['rho']:.6g}"
                layered = ["--layers", spec]
            code, out = run(cli, "dplus", path, "--mode", mode, "--json",
                            *layered, *extra)
            if code != 0:
                print(f"| {name} | {'import' if extra else 'strict'} | {mode.upper()} "
                      f"| - | D+ refused | | | | | {non1d} |")
                continue
            d = json.loads(out)
            lay = d.get("layered")
            lay_text = (f"{lay['chi2']:.4g} ({lay['nrms']:.3g})" if lay else "-")
            own = f"{fit['nrms']:.3g}" if fit and fit.get("nrms") is not None else "-"
            print(f"| {name} | {'import' if extra else 'strict'} | {mode.upper()} "
                  f"| {d['data']} | {d['chi2']:.4g} ({d['nrms']:.3g}) "
                  f"| {d['chi2_95']:.4g} | {'yes' if d['one_d'] else 'no'} "
                  f"| {lay_text} | {own} | {non1d} |")


if __name__ == "__main__":
    main()
