"""Times pandas.read_csv (C engine) on one file; prints
'load_s=<s> rows=<n> cols=<n> first=<dtype of the first column>'.
  pandas_read.py FILE [DATE_COLUMN ...]   the named columns are parsed as date-times
Only the read_csv call is timed (interpreter start and imports are not)."""
import sys
import time

import pandas as pd

dates = sys.argv[2:] or False
t0 = time.perf_counter()
df = pd.read_csv(sys.argv[1], engine="c", parse_dates=dates)
t1 = time.perf_counter()
print(f"load_s={t1 - t0:.6f} rows={len(df)} cols={df.shape[1]} first={df.dtypes.iloc[0]}")
