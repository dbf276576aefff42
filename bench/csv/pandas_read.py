"""Times pandas.read_csv (C engine) on one file; prints 'load_s=<s> rows=<n> cols=<n>'.
Only the read_csv call is timed (interpreter start and imports are not)."""
import sys
import time

import pandas as pd

t0 = time.perf_counter()
df = pd.read_csv(sys.argv[1], engine="c")
t1 = time.perf_counter()
print(f"load_s={t1 - t0:.6f} rows={len(df)} cols={df.shape[1]}")
