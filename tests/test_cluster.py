"""tools/cluster/ on a real scheduler: a one-node Slurm cluster on this
machine, with its own configuration, state and munge socket in a temporary
folder, runs a sharded study as an array whose one task is preempted mid-run,
then the merge job; the merged study is the study of one process. Needs root
(the daemons, and the packages installed when missing); .ci/run runs it."""

import contextlib
import os
import re
import signal
import socket
import subprocess
import time

import pytest

from conftest import LAB, ROOT, played, read, run_study

TOOLS = os.path.join(ROOT, "tools")
STUDY = ["--rounds", "6M", "--block-size", "20000", "--seed", "4"]


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def configuration(folder):
    """A node of four processors on this machine, sharing them by processor."""
    host = socket.gethostname().split(".")[0]
    return f"""ClusterName=truecount
SlurmctldHost={host}(127.0.0.1)
SlurmctldPort={free_port()}
SlurmdPort={free_port()}
# A requeued job starts again once its last credential expires: 10 seconds
# rather than 120.
AuthInfo=socket={folder}/munge.socket,cred_expire=10
StateSaveLocation={folder}/state
SlurmdSpoolDir={folder}/spool
SlurmctldPidFile={folder}/slurmctld.pid
SlurmdPidFile={folder}/slurmd.pid
SlurmctldLogFile={folder}/slurmctld.log
SlurmdLogFile={folder}/slurmd.log
ProctrackType=proctrack/linuxproc
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SlurmdParameters=config_overrides
NodeName={host} NodeAddr=127.0.0.1 CPUs=4
PartitionName=lab Nodes=ALL Default=YES State=UP
"""


class Cluster:
    """The daemons started, stopped by their process ids."""

    def __init__(self, folder):
        self.folder = folder
        self.daemons = []
        self.environment = dict(os.environ, SLURM_CONF=str(folder / "slurm.conf"))

    def start(self, *command):
        log = open(self.folder / f"{os.path.basename(command[0])}.out", "w")
        self.daemons.append(subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT,
                                             env=self.environment))

    def run(self, *command):
        done = subprocess.run(command, capture_output=True, text=True, timeout=60,
                              env=self.environment, cwd=self.folder)
        assert done.returncode == 0, (command, done.stderr)
        return done.stdout

    def job(self, job):
        """scontrol's fields of a job, by name."""
        return dict(re.findall(r"(\w+)=(\S*)", self.run("scontrol", "show", "job", job)))

    def stop(self):
        """Cancels the jobs left (a failed test's), then stops the daemons."""
        if len(self.daemons) == 3:
            subprocess.run(["scancel", "--user=root"], env=self.environment, timeout=60)
            with contextlib.suppress(AssertionError):
                until(lambda: not self.run("squeue", "--noheader"), 30, "the jobs to end")
        for daemon in reversed(self.daemons):
            daemon.send_signal(signal.SIGTERM)
        for daemon in reversed(self.daemons):
            try:
                daemon.wait(timeout=20)
            except subprocess.TimeoutExpired:
                daemon.kill()
                daemon.wait()


def until(ready, seconds, what):
    deadline = time.monotonic() + seconds
    while not ready():
        assert time.monotonic() < deadline, f"timed out waiting for {what}"
        time.sleep(0.2)


@pytest.fixture
def cluster(tmp_path):
    if os.geteuid() != 0:
        pytest.skip("the cluster test starts Slurm's daemons and installs them if missing: "
                    "it runs as root (as CI does)")
    installed = subprocess.run([os.path.join(TOOLS, "ensure_packages.sh"), "cluster"],
                               capture_output=True, text=True, timeout=600)
    if installed.returncode != 0:
        reason = (installed.stderr.strip().splitlines() or ["no reason given"])[-1]
        pytest.skip("Slurm's packages cannot be installed: " + reason)
    folder = tmp_path / "slurm"
    for name in ("state", "spool"):
        (folder / name).mkdir(parents=True)
    (folder / "slurm.conf").write_text(configuration(folder))
    key = folder / "munge.key"
    key.write_bytes(os.urandom(128))
    os.chmod(key, 0o600)
    cluster = Cluster(folder)
    try:
        cluster.start("munged", "--foreground", "--force", f"--key-file={key}",
                      f"--socket={folder}/munge.socket", f"--pid-file={folder}/munged.pid",
                      f"--log-file={folder}/munged.log", f"--seed-file={folder}/munged.seed")
        until(lambda: (folder / "munge.socket").exists(), 30, "munged")
        cluster.start("slurmctld", "-D", "-c", "-f", str(folder / "slurm.conf"))
        cluster.start("slurmd", "-D", "-f", str(folder / "slurm.conf"))
        until(lambda: "idle" in cluster.run("sinfo", "--noheader", "--format=%T"), 60,
              "the node to be idle")
        yield cluster
    finally:
        cluster.stop()


def test_a_sharded_study_survives_a_preempted_task(tmp_path, cluster):
    work = tmp_path / "study"
    environment = dict(cluster.environment, TRUECOUNT_LAB=LAB, TRUECOUNT_CHECKPOINT="1")
    submitted = subprocess.run([os.path.join(TOOLS, "cluster/submit.sh"), work, "4", *STUDY],
                               capture_output=True, text=True, timeout=60, env=environment)
    assert submitted.returncode == 0, submitted.stderr
    array, merge = submitted.stdout.split()
    # Once their first checkpoints are written, task 1 is preempted and task 2
    # gets its time limit's warning.
    until(lambda: (work / "shard1.json").exists() and (work / "shard2.json").exists(), 120,
          "the first checkpoints")
    cluster.run("scontrol", "requeue", f"{array}_1")
    cluster.run("scancel", "--batch", "--signal=USR1", f"{array}_2")
    whole = run_study(tmp_path / "whole.json", STUDY, ["--threads", "2"])
    until(lambda: cluster.job(merge)["JobState"] in ("COMPLETED", "FAILED", "CANCELLED"), 240,
          "the merge job")
    assert cluster.job(merge)["JobState"] == "COMPLETED", (work / "merge.log").read_text()
    for task in (1, 2):
        assert cluster.job(f"{array}_{task}")["Restarts"] == "1"
        assert "interrupted; " in (work / f"shard{task}.log").read_text()
    assert played(read(work / "study.json")) == played(whole)
