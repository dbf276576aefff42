# Times data.table::fread(file, nThread=N); prints
# 'load_s=<s> rows=<n> cols=<n> first=<class of the first column>'.
# Only the fread call is timed (R start and library load are not). ISO date-times
# without a zone are read as POSIXct in UTC (fread's default tz).
args <- commandArgs(trailingOnly = TRUE)
suppressMessages(library(data.table))
nt <- as.integer(args[2])
setDTthreads(nt)
t0 <- proc.time()[["elapsed"]]
dt <- fread(args[1], nThread = nt, sep = ",", header = TRUE, showProgress = FALSE)
t1 <- proc.time()[["elapsed"]]
cat(sprintf("load_s=%.6f rows=%d cols=%d first=%s\n", t1 - t0, nrow(dt), ncol(dt),
            class(dt[[1]])[1]))
