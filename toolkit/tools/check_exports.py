#!/usr/bin/env python3
"""The library exports exactly the functions its header declares, 63 of them
(61 for windows, controls, resources and menus, and the two timer calls)."""
import re
import subprocess
import sys

header, library = sys.argv[1], sys.argv[2]
declared = set(re.findall(r"ZUDOZ_API\s[^;(]*?\b(XUI_[A-Z_]+)\s*\(", open(header).read()))
out = subprocess.run(["nm", "-D", "--defined-only", library], capture_output=True, text=True,
                     check=True).stdout
exported = {line.split()[-1] for line in out.splitlines() if line.split()}
problems = []
if exported - declared:
    problems.append("exported but not declared: " + " ".join(sorted(exported - declared)))
if declared - exported:
    problems.append("declared but not exported: " + " ".join(sorted(declared - exported)))
if len(declared) != 63:
    problems.append(f"{len(declared)} functions declared, 63 expected")
for p in problems:
    print(p)
print(f"{len(exported)} exports")
sys.exit(1 if problems else 0)
