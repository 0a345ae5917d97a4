#include "quiet_stderr.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

// Runs `body` in a child process and returns its exit status.
int InChild(const std::function<int()>& body)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

}  // namespace

TEST(QuietStderr, WhatIsWrittenMeanwhileGoesNowhereAndStandardErrorComesBack)
{
    TempDir dir;
    const std::string log = dir.Path("stderr.txt").string();
    EXPECT_EQ(InChild([&] {
                  const int file = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
                  dup2(file, STDERR_FILENO);
                  close(file);
                  {
                      const CQuietStderr quiet;
                      (void)!write(STDERR_FILENO, "probing\n", 8);
                  }
                  (void)!write(STDERR_FILENO, "after\n", 6);
                  return 0;
              }),
              0);
    std::stringstream written;
    written << std::ifstream(log).rdbuf();
    EXPECT_EQ(written.str(), "after\n");
}

TEST(QuietStderr, WithStandardErrorClosedNoFileOpenedLaterBecomesIt)
{
    // Exit 1: the descriptor was left free and a library's file took it.
    EXPECT_EQ(InChild([] {
                  close(STDERR_FILENO);
                  { const CQuietStderr quiet; }
                  const int file = open("/dev/zero", O_RDONLY);
                  return file == STDERR_FILENO ? 1 : 0;
              }),
              0);
}
