#!/usr/bin/python3
"""OpenSSH server for the SFTP upload tests, on 127.0.0.1 and a free port.

Makes a throw-away host key and user key in --dir (host_key, user_key, user_key.pub,
authorized_keys, host_key.pub), starts sshd in the foreground with a configuration of its own
that lets only the current user in, by that user key, waits until it accepts connections, prints
the port on the first line of stdout and serves until it is killed. Exits with 3 (printing 0)
when sshd or ssh-keygen is missing.
"""
import argparse
import os
import signal
import socket
import subprocess
import sys
import time

SSHD = "/usr/sbin/sshd"
KEYGEN = "/usr/bin/ssh-keygen"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    args = parser.parse_args()
    if not os.access(SSHD, os.X_OK) or not os.access(KEYGEN, os.X_OK):
        print("0", flush=True)
        return 3
    d = args.dir
    for name, kind in (("host_key", "ed25519"), ("user_key", "ed25519")):
        path = os.path.join(d, name)
        if not os.path.exists(path):
            subprocess.run([KEYGEN, "-q", "-t", kind, "-N", "", "-f", path], check=True)
    with open(os.path.join(d, "user_key.pub")) as pub, \
            open(os.path.join(d, "authorized_keys"), "w") as auth:
        auth.write(pub.read())
    os.chmod(os.path.join(d, "authorized_keys"), 0o600)
    if os.geteuid() == 0:
        os.makedirs("/run/sshd", mode=0o755, exist_ok=True)  # privilege separation
    port = free_port()
    config = os.path.join(d, "sshd_config")
    with open(config, "w") as f:
        f.write(f"""ListenAddress 127.0.0.1:{port}
HostKey {os.path.join(d, "host_key")}
PidFile none
AuthorizedKeysFile {os.path.join(d, "authorized_keys")}
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin yes
StrictModes no
UsePAM no
AllowUsers {os.environ.get("USER") or __import__("pwd").getpwuid(os.getuid()).pw_name}
Subsystem sftp internal-sftp
LogLevel ERROR
""")
    log = open(os.path.join(d, "sshd.log"), "w")
    child = subprocess.Popen([SSHD, "-D", "-e", "-f", config], stdout=log, stderr=log)

    def stop(*_):
        child.terminate()
        try:
            child.wait(5)
        except subprocess.TimeoutExpired:
            child.kill()
        sys.exit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    deadline = time.time() + 15
    while time.time() < deadline:
        if child.poll() is not None:
            print("0", flush=True)
            return 1
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=0.5):
                break
        except OSError:
            time.sleep(0.05)
    print(port, flush=True)
    child.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main())
