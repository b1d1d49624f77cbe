#!/usr/bin/env bash
# A sweep as a Slurm job array on a one-node cluster of its own: munged,
# slurmctld and slurmd on 127.0.0.1, everything they keep in one temporary
# folder. The README's job array (on a smaller grid) and an array with a step
# run with --shard=auto; their merged shards must be byte for byte the sweep
# of one process, and an array given as a list must be refused. With --resume in the program, a task is cancelled mid-run
# and finished by a resumed one.
#
#   slurm_test.sh PROGRAM
#
# Exit 77 (skipped) when Slurm or munge is not installed.
set -u
# The daemons live in sbin, which a user's PATH may lack.
PATH=$PATH:/usr/sbin:/sbin
started=$SECONDS

for tool in munged mungekey slurmctld slurmd sbatch squeue scontrol scancel sinfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed (scripts/install-deps.sh installs slurm-wlm and munge)"
        exit 77
    fi
done

program=$(realpath "$1")
folder=$(mktemp -d)
user=$(id -un)
export SLURM_CONF=$folder/slurm.conf

stop_daemons() {
    # Jobs first, so that no step outlives its slurmd.
    if [ -f "$folder/slurmctld.pid" ]; then
        scancel --quiet --user="$user" 2>/dev/null
        for _ in $(seq 50); do
            [ -z "$(squeue -h 2>/dev/null)" ] && break
            sleep 0.2
        done
    fi
    local pids=()
    for daemon in slurmd slurmctld munged; do
        if [ -s "$folder/$daemon.pid" ]; then
            local pid
            pid=$(cat "$folder/$daemon.pid")
            kill "$pid" 2>/dev/null && pids+=("$pid")
        fi
    done
    for pid in "${pids[@]}"; do
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 "$pid" 2>/dev/null
    done
    rm -rf "$folder"
}
trap stop_daemons EXIT

fail() {
    echo "FAILED: $*"
    for log in slurmctld.log slurmd.log munged.log; do
        [ -f "$folder/$log" ] && { echo "--- $log (end)"; tail -n 20 "$folder/$log"; }
    done
    exit 1
}

# A port nothing listens on, from the unprivileged range.
used_ports=" "
free_port() {
    while :; do
        local port=$((20000 + RANDOM % 40000))
        [[ $used_ports == *" $port "* ]] && continue
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            used_ports+="$port "
            echo "$port"
            return
        fi
    done
}

# Polls until the command after it succeeds; $1 seconds only bound a hang
# (every wait is for a state, none for a time).
wait_for() {
    local seconds=$1
    shift
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.2
    done
}

mkdir -p "$folder/state" "$folder/spool" "$folder/work"
mungekey --create --keyfile="$folder/munge.key" >/dev/null 2>&1 ||
    fail "mungekey could not make a key"
chmod 600 "$folder/munge.key"
munged --force --key-file="$folder/munge.key" --socket="$folder/munge.socket" \
    --pid-file="$folder/munged.pid" --log-file="$folder/munged.log" \
    --seed-file="$folder/munged.seed" || fail "munged did not start"
wait_for 120 test -S "$folder/munge.socket" || fail "munged made no socket"

host=$(hostname -s)
cpus=$(nproc)
memory=$(($(awk '/^MemTotal:/ { print int($2 / 1024) }' /proc/meminfo) / 2))
ctld_port=$(free_port)
slurmd_port=$(free_port)
cat >"$SLURM_CONF" <<EOF
ClusterName=morbilextest
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=$user
SlurmdUser=$user
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$folder/munge.socket
StateSaveLocation=$folder/state
SlurmdSpoolDir=$folder/spool
SlurmctldPidFile=$folder/slurmctld.pid
SlurmdPidFile=$folder/slurmd.pid
SlurmctldLogFile=$folder/slurmctld.log
SlurmdLogFile=$folder/slurmd.log
TmpFS=$folder/work
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MpiDefault=none
SchedulerType=sched/builtin
SchedulerParameters=batch_sched_delay=0
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
MinJobAge=600
PlugStackConfig=$folder/plugstack.conf
NodeName=morbilexnode NodeHostname=$host NodeAddr=127.0.0.1 CPUs=$cpus RealMemory=$memory State=UNKNOWN
PartitionName=test Nodes=morbilexnode Default=YES MaxTime=INFINITE State=UP
EOF
: >"$folder/plugstack.conf"

slurmctld -i 2>>"$folder/slurmctld.log" || fail "slurmctld did not start"
slurmd -N morbilexnode 2>>"$folder/slurmd.log" || fail "slurmd did not start"
node_idle() { [ "$(sinfo -h -n morbilexnode -o %t 2>/dev/null)" = idle ]; }
wait_for 300 node_idle || fail "the node did not come up idle: $(sinfo -h -o '%t %E' 2>&1)"
echo "cluster up after $((SECONDS - started)) s (ports $ctld_port, $slurmd_port)"

cd "$folder/work" || fail "no work folder"
grid=(--mode=2 --sweep=R_0=1:4:0.05 --sweep=On_threshold=5:100:5 --off-ratio=0.25)
"$program" "${grid[@]}" --output=one.csv || fail "the sweep in one process failed"

job_gone() { [ -z "$(squeue -h -j "$1" 2>/dev/null)" ]; }

# Waits for every task of job $1 and checks each one completed with exit 0.
wait_for_array() {
    local job=$1
    wait_for 600 job_gone "$job" || fail "job $job still queued or running after 600 s: $(squeue -h -j "$job")"
    local states
    states=$(scontrol -o show job "$job" | grep -o 'JobState=[A-Z_]* .*ExitCode=[0-9:]*' |
        sed 's/JobState=\([A-Z_]*\) .*ExitCode=\([0-9:]*\)/\1 \2/' | sort | uniq -c)
    echo "job $job tasks: ${states//$'\n'/,}"
    if echo "$states" | grep -v -q ' COMPLETED 0:0$'; then
        for out in slurm-"$job"_*.out; do
            echo "--- $out"
            cat "$out"
        done
        fail "a task of job $job did not complete"
    fi
}

# Merges the shards of --array=$1 and compares them with one process's sweep.
merge_and_compare() {
    "$program" --merge=merged.csv part-*.csv || fail "--merge of --array=$1 failed"
    cmp merged.csv one.csv || fail "--array=$1: the merged shards differ from one process's sweep"
    echo "--array=$1: merged shards equal one process's sweep ($(wc -l <one.csv) lines)"
    rm -f part-*.csv merged.csv
}

# The README's array as written there, on a smaller grid: sbatch --wait
# returns once every task has ended.
job=$(timeout 600 sbatch --parsable --wait --array=1-16 --wrap="'$program' ${grid[*]} \
    --shard=auto --output=part-\$SLURM_ARRAY_TASK_ID.csv") ||
    fail "sbatch --wait --array=1-16 failed or took over 600 s"
wait_for_array "${job%%;*}"
merge_and_compare 1-16

# An array with a step, polled: --array=2-8:2 holds tasks 2,4,6,8, shards
# 1/4..4/4.
job=$(sbatch --parsable --array=2-8:2 --wrap="'$program' ${grid[*]} --shard=auto \
    --output=part-\$SLURM_ARRAY_TASK_ID.csv") || fail "sbatch --array=2-8:2 failed"
wait_for_array "${job%%;*}"
merge_and_compare 2-8:2

# A list of indices is no range K/N can follow: every task refuses it.
job=$(sbatch --parsable --array=1,3,7 --wrap="'$program' ${grid[*]} --shard=auto \
    --output=part-\$SLURM_ARRAY_TASK_ID.csv") || fail "sbatch --array=1,3,7 failed"
job=${job%%;*}
wait_for 600 job_gone "$job" || fail "job $job still queued or running after 600 s"
refusals=$(grep -l -- '--shard=auto: SLURM_ARRAY_TASK_COUNT=3 where .* the array is a list' \
    slurm-"$job"_*.out | wc -l)
if [ "$refusals" != 3 ] || ls part-*.csv >/dev/null 2>&1; then
    fail "--array=1,3,7: $refusals of 3 tasks refused the list: $(cat slurm-"$job"_*.out)"
fi
echo "--array=1,3,7: every task refused the list"

# A task cancelled mid-run and its shard finished with --resume. The task is
# stopped (SIGSTOP) once its rows are being written and proven unfinished
# before the plain scancel, and continued only once the cancel's SIGTERM is
# pending: however fast the machine, the cancel finds it mid-sweep.
if "$program" --help | grep -q -- --resume; then
    rm -f part-*.csv
    big=(--sweep=R_0=1:4:0.0002 "--sweep=T_max=5000,10000")
    "$program" "${big[@]}" --output=big.csv || fail "the large sweep in one process failed"
    job=$(sbatch --parsable --array=1-2 \
        --wrap="'$program' ${big[*]} --jobs=1 --shard=auto --output=part-\$SLURM_ARRAY_TASK_ID.csv") ||
        fail "sbatch of the large sweep failed"
    job=${job%%;*}
    # The task's rows go to a hidden temporary until it ends; its lock holds its pid.
    writing() {
        local temporary
        for temporary in .part-2.csv.tmp-*; do
            [ -f "$temporary" ] && [ "$(stat -c %s "$temporary")" -gt 4096 ] && [ -s part-2.csv.lock ] &&
                return 0
        done
        return 1
    }
    wait_for 600 writing || fail "task ${job}_2 wrote no rows"
    pid=$(cat part-2.csv.lock)
    kill -STOP "$pid" || fail "task ${job}_2 (pid $pid) ended before it could be stopped"
    stopped() { case $(cut -d ' ' -f 3 "/proc/$pid/stat" 2>/dev/null) in T | Z | '') return 0 ;; esac; return 1; }
    wait_for 600 stopped || fail "task ${job}_2 (pid $pid) did not stop"
    [ "$(cut -d ' ' -f 3 "/proc/$pid/stat" 2>/dev/null)" = T ] ||
        fail "task ${job}_2 (pid $pid) ended before it could be stopped"
    [ ! -e part-2.csv ] || fail "task ${job}_2 had finished before the cancel"
    # A plain scancel: SIGTERM, as a job cancelled or timed out gets it.
    scancel "${job}_2"
    sigterm_pending() {
        kill -0 "$pid" 2>/dev/null || return 0
        local name mask
        while read -r name mask; do
            case $name in
            SigPnd: | ShdPnd:) (((16#$mask >> 14) & 1)) && return 0 ;;
            esac
        done <"/proc/$pid/status"
        return 1
    }
    wait_for 600 sigterm_pending || fail "the cancel's SIGTERM never reached task ${job}_2"
    kill -CONT "$pid" 2>/dev/null
    wait_for 600 job_gone "$job" || fail "job $job did not end"
    echo "task ${job}_2 after the cancel:" \
        "$(scontrol -o show job "${job}_2" | grep -o 'JobState=[A-Z_]*\|ExitCode=[0-9:]*' | xargs)"
    [ -s part-2.csv.partial ] || fail "the cancelled task kept no rows in part-2.csv.partial"
    [ ! -e part-2.csv ] || fail "the cancelled task wrote a whole part-2.csv"
    # Alone, task 2 would be an array of one (--shard=auto: 1/1): K/N it is.
    resumed=$(sbatch --parsable \
        --wrap="'$program' ${big[*]} --shard=2/2 --resume --output=part-2.csv") ||
        fail "sbatch of the resumed task failed"
    wait_for_array "${resumed%%;*}"
    "$program" --merge=merged.csv part-*.csv || fail "--merge after --resume failed"
    cmp merged.csv big.csv || fail "the resumed shard's merge differs from one process's sweep"
    echo "a task cancelled with scancel and resumed: merged shards equal one process's sweep"
else
    echo "skipped the cancel and --resume step: this morbilex-batch has no --resume"
fi

echo "passed in $((SECONDS - started)) s"
