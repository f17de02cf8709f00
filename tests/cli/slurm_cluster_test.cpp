// study --submit slurm on a real scheduler: a single-node SLURM (munged, slurmctld and slurmd on
// this machine, in a folder of the test's own) runs the example study's array and gathering
// jobs, and the group outputs are those of one machine; a run whose input is damaged shows in
// them as failed. Starting the daemons needs root and Debian's slurm-wlm and munge
// (scripts/install --test); without them the test is skipped, saying why. Label "cluster".

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/study_copy_test.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace duv {
namespace {

namespace fs = std::filesystem;

const std::string kPrimary =
    "examples/study/sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_design.sdm";
const std::string kTables =
    "examples/study/derivatives/sub-{sub}/func/"
    "sub-{sub}_task-{task}_run-{run}_desc-confounds_timeseries.tsv";

// A TCP port no one listens on now, as the system hands out: two clusters of tests running at
// once never share one.
int freePort() {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(socket);
  return ntohs(address.sin_port);
}

std::string hostName() {
  std::string name(256, '\0');
  gethostname(name.data(), name.size());
  return name.substr(0, name.find('\0'));
}

// munged, slurmctld and slurmd with their key, configuration, state and logs in a temporary
// folder; every daemon started is stopped when the object goes, however the test ended.
class SingleNodeSlurm {
 public:
  SingleNodeSlurm() = default;
  SingleNodeSlurm(const SingleNodeSlurm&) = delete;
  SingleNodeSlurm& operator=(const SingleNodeSlurm&) = delete;

  ~SingleNodeSlurm() {
    for (const pid_t daemon : children_) {
      kill(daemon, SIGTERM);
      int status = 0;
      waitpid(daemon, &status, 0);
    }
    // munged forks itself away once ready: it is found by its pid file.
    std::ifstream pidFile(dir_.file("munged.pid"));
    pid_t munged = 0;
    if (pidFile >> munged && munged > 0) kill(munged, SIGTERM);
  }

  // Starts the daemons; returns why they cannot be started ("" when they are).
  std::string start() {
    if (geteuid() != 0) return "SLURM's daemons run as root here, and this test does not";
    for (const char* program : {"/usr/sbin/munged", "/usr/sbin/mungekey", "/usr/sbin/slurmctld",
                                "/usr/sbin/slurmd", "/usr/bin/sbatch"}) {
      if (access(program, X_OK) != 0) {
        return std::string(program) + " is not installed (scripts/install --test installs it)";
      }
    }
    fs::create_directories(dir_.path() / "state");
    fs::create_directories(dir_.path() / "spool");
    auto made = testing::runProcess({"/usr/sbin/mungekey", "-c", "-k", dir_.file("munge.key")});
    if (made.exitCode != 0) return "mungekey failed: " + made.err;
    // Without -F, munged returns once its socket takes requests.
    made = testing::runProcess({"/usr/sbin/munged", "-f", "--key-file=" + dir_.file("munge.key"),
                                "--socket=" + socket(), "--pid-file=" + dir_.file("munged.pid"),
                                "--log-file=" + dir_.file("munged.log"),
                                "--seed-file=" + dir_.file("munged.seed")});
    if (made.exitCode != 0) return "munged cannot start: " + made.err;
    writeConfiguration();
    // slurmd shows whether it can run here at all (it reads this machine's hardware).
    const auto hardware = testing::runProcess({"/usr/sbin/slurmd", "-C"});
    if (hardware.exitCode != 0) return "slurmd cannot start: " + hardware.err;
    // Clients (sbatch, slurmd registering) retry the controller until it answers.
    spawn({"/usr/sbin/slurmctld", "-D", "-f", configuration()}, "slurmctld.out");
    spawn({"/usr/sbin/slurmd", "-D", "-N", "localhost", "-f", configuration()}, "slurmd.out");
    return "";
  }

  std::string configuration() const { return dir_.file("slurm.conf"); }

  // What the daemons wrote, for a failure's message.
  std::string logs() const {
    std::string text;
    for (const char* name : {"slurmctld.out", "slurmctld.log", "slurmd.out", "slurmd.log"}) {
      if (fs::exists(dir_.path() / name)) {
        text += std::string("--- ") + name + "\n" + testing::readText(dir_.file(name));
      }
    }
    return text;
  }

 private:
  std::string socket() const { return dir_.file("munge.socket"); }

  void writeConfiguration() const {
    const auto folder = dir_.path().string();
    testing::writeText(
        configuration(),
        "ClusterName=duvendaltest\n"
        "SlurmctldHost=" +
            hostName() +
            "(127.0.0.1)\n"
            "SlurmctldPort=" +
            std::to_string(freePort()) + "\nSlurmdPort=" + std::to_string(freePort()) +
            "\nSlurmUser=root\nSlurmdUser=root\n"
            "AuthType=auth/munge\nCredType=cred/munge\nAuthInfo=socket=" +
            socket() + "\nStateSaveLocation=" + folder + "/state\nSlurmdSpoolDir=" + folder +
            "/spool\nSlurmctldPidFile=" + folder + "/slurmctld.pid\nSlurmdPidFile=" + folder +
            "/slurmd.pid\nSlurmctldLogFile=" + folder + "/slurmctld.log\nSlurmdLogFile=" + folder +
            "/slurmd.log\n"
            "ProctrackType=proctrack/linuxproc\nTaskPlugin=task/none\nMpiDefault=none\n"
            "SchedulerType=sched/builtin\nSelectType=select/cons_tres\n"
            "SelectTypeParameters=CR_CPU\nReturnToService=2\nMessageTimeout=30\n"
            "JobAcctGatherType=jobacct_gather/none\n"
            "AccountingStorageType=accounting_storage/none\n"
            "NodeName=localhost NodeAddr=127.0.0.1 CPUs=" +
            std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) +
            " State=UNKNOWN\n"
            "PartitionName=study Nodes=localhost Default=YES MaxTime=INFINITE State=UP\n");
  }

  // Starts a daemon in the foreground as a child of the test, its output in `log`.
  void spawn(const std::vector<std::string>& command, const std::string& log) {
    std::vector<char*> argv;
    for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, dir_.file(log).c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t child = 0;
    const int failed = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed == 0) children_.push_back(child);
  }

  testing::TempDir dir_;
  std::vector<pid_t> children_;
};

class SlurmClusterTest : public testing::StudyCopyTest {
 protected:
  std::vector<std::string> study(const std::string& outDir) const {
    return {"study",
            "--primary",
            kPrimary,
            "--confounds-from",
            kTables,
            "--confounds",
            "motion6",
            "--confounds",
            "wm_csf",
            "--contrasts",
            "examples/study/contrasts.tsv",
            "--out-dir",
            outDir};
  }

  // Submits the study into `outDir` with `cut` and waits until its gathering job has ended:
  // sbatch --wait returns when a job that depends on it ends.
  void submitAndWait(const std::string& outDir, const std::vector<std::string>& cut) {
    std::vector<std::string> command{"env", "SLURM_CONF=" + slurm_.configuration(), DUVENDAL_TOOL};
    const auto arguments = study(outDir);
    command.insert(command.end(), arguments.begin(), arguments.end());
    command.insert(command.end(), {"--submit", "slurm"});
    command.insert(command.end(), cut.begin(), cut.end());
    const auto submitted = testing::runProcess(command, dir_.path().string());
    ASSERT_EQ(submitted.exitCode, 0) << submitted.err << slurm_.logs();
    const std::string marker = "the group outputs as job ";
    const auto at = submitted.out.find(marker);
    ASSERT_NE(at, std::string::npos) << submitted.out;
    const auto gather = submitted.out.substr(
        at + marker.size(), submitted.out.find(' ', at + marker.size()) - at - marker.size());
    const auto waited = testing::runProcess(
        {"env", "SLURM_CONF=" + slurm_.configuration(), "/usr/bin/sbatch", "--wait",
         "--dependency=afterany:" + gather, "--output=/dev/null", "--wrap", "true"});
    ASSERT_EQ(waited.exitCode, 0) << waited.err << slurm_.logs();
  }

  // group.tsv's rows by their first four cells (fields and name), with their status.
  std::map<std::string, std::string> statuses(const std::string& outDir) const {
    std::map<std::string, std::string> rows;
    std::istringstream lines(text(outDir + "/group.tsv"));
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) {
      std::vector<std::string> cells;
      std::istringstream row(line);
      std::string cell;
      while (std::getline(row, cell, '\t')) cells.push_back(cell);
      rows[cells[0] + " " + cells[1] + " " + cells[2] + " " + cells[3]] = cells[4];
    }
    return rows;
  }

  SingleNodeSlurm slurm_;
};

TEST_F(SlurmClusterTest, TheStudyRunsOnSlurmAsOnOneMachineAndFailedPiecesShowInTheGroupView) {
  const auto why = slurm_.start();
  if (!why.empty()) GTEST_SKIP() << "no single-node SLURM: " << why;

  auto local = study("one");
  local.insert(local.begin(), DUVENDAL_TOOL);
  ASSERT_EQ(testing::runProcess(local, dir_.path().string()).exitCode, 0);

  submitAndWait("by-subject", {"--array-by", "sub"});
  EXPECT_EQ(text("by-subject/group.tsv"), text("one/group.tsv")) << slurm_.logs();
  EXPECT_TRUE(exists("by-subject/group.html"));
  std::map<std::string, int> logs;  // by the job they belong to
  for (const auto& entry : fs::directory_iterator(file("by-subject/slurm/logs"))) {
    ++logs[entry.path().filename().string().substr(0, 5)];
  }
  EXPECT_EQ(logs, (std::map<std::string, int>{{"group", 1}, {"study", 4}}));

  // A run's confound table damaged: its piece fails it, and the group view shows it failed.
  const std::string damaged =
      "examples/study/derivatives/sub-02/func/"
      "sub-02_task-faces_run-1_desc-confounds_timeseries.tsv";
  testing::writeText(file(damaged), "trans_x\ttrans_y\n0.1\n");
  submitAndWait("damaged", {"--pieces", "3"});
  auto expected = statuses("one");
  expected["02 faces 1 sub-02_task-faces_run-1_design.sdm"] = "failed";
  EXPECT_EQ(statuses("damaged"), expected) << slurm_.logs();
}

}  // namespace
}  // namespace duv
