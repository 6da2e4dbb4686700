#!/bin/bash
# A survey on a cluster: every task of a Slurm job array samples its part of
# the soundings listed in soundings.txt (one EDI path a line) and writes one
# result file per sounding into results/. When the array has finished,
#   mtvuk-cli merge results --int survey.int --json > survey.json
# gathers them in the order of soundings.txt.
#
#   sbatch --array=1-32 examples/survey_slurm.sh
#
#SBATCH --job-name=mtvuk-bayes
#SBATCH --cpus-per-task=8
#SBATCH --time=02:00:00
#SBATCH --output=logs/bayes_%A_%a.log
set -euo pipefail

parts=${SLURM_ARRAY_TASK_COUNT:?run as a job array: sbatch --array=1-N}
part=$((SLURM_ARRAY_TASK_ID - ${SLURM_ARRAY_TASK_MIN:-1} + 1))
mapfile -t soundings < soundings.txt

# The same --seed everywhere: a sounding's result does not depend on the
# part it falls in or on the number of cores of the node.
mtvuk-cli bayes "${soundings[@]}" --mode xy,yx \
  --shard "${part}/${parts}" --out-dir results \
  --threads "${SLURM_CPUS_PER_TASK:-1}" --seed 1
