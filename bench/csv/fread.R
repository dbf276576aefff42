# Times data.table::fread(file, nThread=N); prints 'load_s=<s> rows=<n> cols=<n>'.
# Only the fread call is timed (R start and library load are not).
args <- commandArgs(trailingOnly = TRUE)
suppressMessages(library(data.table))
nt <- as.integer(args[2])
setDTthreads(nt)
t0 <- proc.time()[["elapsed"]]
dt <- fread(args[1], nThread = nt, sep = ",", header = TRUE, showProgress = FALSE)
t1 <- proc.time()[["elapsed"]]
cat(sprintf("load_s=%.6f rows=%d cols=%d\n", t1 - t0, nrow(dt), ncol(dt)))
