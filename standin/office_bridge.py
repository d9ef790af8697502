# The stand-in's bridge to a LibreOffice kept running, under Wine.
#
# Starting LibreOffice costs about a second; converting a page in a warm one some 30 ms. So
# the stand-in does not run soffice for each document: it runs this script as a client
# ("convert"), which hands the document to a server ("serve") that keeps one LibreOffice
# running and drives it through UNO. The first client that finds no server starts one.
#
# The server listens on a Unix socket in a folder only its user may enter; LibreOffice listens
# on a UNO pipe, which LibreOffice makes in /tmp open to its user alone, and the server runs
# it under umask 077. One conversion at a time; a LibreOffice is ended and the next document
# gets a fresh one when a conversion outlasts its limit, when its client goes (the instance
# was ended), after MOST_DOCUMENTS documents, or once it holds more than MOST_MEMORY_MIB. The
# server and its LibreOffice exit IDLE_SECONDS after the last conversion.
#
# The client exits 0 when the template is written, 1 with LibreOffice's "Error: ..." line,
# 124 when the limit ended it, 125 when no UNO is installed (the stand-in then runs soffice
# itself), 127 when there is no soffice. It prints "Office: <process> <documents>" (which
# LibreOffice converted, and how many it has converted) for the stand-in's journal.
import fcntl
import hashlib
import importlib.util
import json
import os
import select
import shutil
import signal
import socket
import stat
import subprocess
import sys
import threading
import time

IDLE_SECONDS = 5
MOST_DOCUMENTS = 100
MOST_MEMORY_MIB = 320  # 1.5 times what one soffice run by hand reaches (213 MiB measured)
DEFAULT_COMMAND = 'command -v soffice >/dev/null 2>&1 || exit 127; exec soffice "$@"'

# Beside LibreOffice, in its process group: once the server is gone, however it went, the
# group goes too.
GUARD = 'server=$1; shift; (while kill -0 "$server" 2>/dev/null; do sleep 0.5; done; kill -9 0) & '

NOT_FOUND, OVERDUE, NO_UNO, FAILED = 127, 124, 125, 1


def private_folder():
    """A folder of ours that nobody else may enter, or None when the one found is not."""
    base = os.environ.get("XDG_RUNTIME_DIR") or "/tmp"
    folder = os.path.join(base, "quillory-office-%d" % os.getuid())
    try:
        os.mkdir(folder, 0o700)
    except FileExistsError:
        pass
    except OSError:
        return None
    info = os.lstat(folder)
    if not stat.S_ISDIR(info.st_mode) or info.st_uid != os.getuid() or info.st_mode & 0o077:
        return None
    return folder


def connect(path):
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        s.connect(path)
        return s
    except OSError:
        s.close()
        return None


# --- The client: one document -------------------------------------------------------------

def start_server(folder, key, source_text, command):
    """Starts the server for `key` and returns a connection to it, or an exit status. The
    client runs without site packages (it starts faster); the server looks for UNO there."""
    script = os.path.join(folder, "bridge-%s.py" % hashlib.sha256(source_text.encode()).hexdigest()[:16])
    if not os.path.exists(script):
        draft = "%s.%d" % (script, os.getpid())
        with open(draft, "w") as f:
            f.write(source_text)
        os.replace(draft, script)
    server = subprocess.Popen([sys.executable, script, "serve", folder, key, command],
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              start_new_session=True)
    path = os.path.join(folder, key + ".sock")
    while True:
        conn = connect(path)
        if conn:
            return conn
        if server.poll() is not None:
            return NO_UNO if server.returncode == NO_UNO else FAILED
        time.sleep(0.01)


def client(source_text, argv):
    command, limit, settings, document, template, filter_name = argv
    folder = private_folder()
    if folder is None:
        return NO_UNO
    # One server for each bridge, command and Wine prefix (a machine of its own).
    key = hashlib.sha256("\0".join([source_text, command, os.environ.get("WINEPREFIX", "")]).encode()).hexdigest()[:16]
    path = os.path.join(folder, key + ".sock")
    # A server greets each client it takes; one that is going closes the connections it did not
    # take, and their clients try again.
    for _ in range(3):
        conn = connect(path)
        if conn is None:
            with open(os.path.join(folder, key + ".lock"), "w") as lock:
                fcntl.flock(lock, fcntl.LOCK_EX)
                conn = connect(path) or start_server(folder, key, source_text, command)
        if isinstance(conn, int):
            if conn == FAILED:
                print("Error: LibreOffice's bridge could not be started")
            return conn
        if conn.recv(1) == b"+":
            break
        conn.close()
    else:
        print("Error: LibreOffice's bridge took no document")
        return FAILED
    request = {"limit": int(limit), "settings": settings, "document": document, "template": template,
               "filter": filter_name}
    conn.sendall((json.dumps(request) + "\n").encode())
    reply = b""
    while not reply.endswith(b"\n"):
        part = conn.recv(65536)
        if not part:
            print("Error: LibreOffice's bridge ended before it answered")
            return FAILED
        reply += part
    answer = json.loads(reply)
    if answer.get("said"):
        print(answer["said"])
    if answer.get("office"):
        print("Office: %d %d" % (answer["office"], answer["documents"]))
    return answer["status"]


# --- The server: one LibreOffice, kept running -----------------------------------------------

class Office:
    """One LibreOffice in a process group of its own, reached through a UNO pipe."""

    def __init__(self, home, command, settings):
        self.home, self.documents, self.desktop = home, 0, None
        profile = os.path.join(home, "profile")
        user = os.path.join(profile, "user")
        os.makedirs(user, exist_ok=True)
        if settings and not os.path.exists(os.path.join(user, "registrymodifications.xcu")):
            shutil.copyfile(settings, os.path.join(user, "registrymodifications.xcu"))
        self.pipe = "quillory-office-%d-%d" % (os.getpid(), time.monotonic_ns())
        arguments = ["--headless", "--invisible", "--nologo", "--nodefault", "--norestore", "--nolockcheck",
                     "-env:UserInstallation=" + file_url(profile), "--accept=pipe,name=%s;urp;" % self.pipe]
        self.process = subprocess.Popen(["/bin/sh", "-c", GUARD + (command or DEFAULT_COMMAND), "soffice",
                                         str(os.getpid())] + arguments,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL, start_new_session=True,
                                        env=dict(os.environ, HOME=home))

    def reach(self, deadline, abandoned):
        """The Desktop once LibreOffice answers; else an exit status and what it did."""
        import uno
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        while self.desktop is None:
            try:
                context = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % self.pipe)
                self.desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
            except Exception:
                if self.process.poll() is not None:
                    status = self.process.returncode
                    return (NOT_FOUND, "") if status == NOT_FOUND else \
                        (FAILED, "Error: LibreOffice ended with status %d before it could be reached" % status)
                if time.monotonic() >= deadline:
                    return OVERDUE, ""
                if abandoned(0.05):
                    return None, ""
        return 0, ""

    def memory_mib(self):
        total = 0
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/stat" % pid) as f:
                    fields = f.read().rsplit(")", 1)[1].split()
                if int(fields[2]) == self.process.pid:  # its process group
                    total += int(fields[21]) * os.sysconf("SC_PAGE_SIZE")
            except (OSError, IndexError, ValueError):
                continue
        return total / (1 << 20)

    def alive(self):
        return self.process.poll() is None

    def end(self, politely):
        if politely and self.desktop is not None and self.alive():
            try:
                self.desktop.terminate()
                self.process.wait(2)
            except Exception:
                pass
        try:
            os.killpg(self.process.pid, signal.SIGKILL)
        except OSError:
            pass
        self.process.wait()


def file_url(path):
    import uno
    return uno.systemPathToFileUrl(path)


def convert(desktop, request):
    """Loads, stores and closes one document; (status, what LibreOffice said)."""
    import uno
    from com.sun.star.beans import PropertyValue

    def properties(**values):
        result = []
        for name, value in values.items():
            p = PropertyValue()
            p.Name, p.Value = name, value
            result.append(p)
        return tuple(result)

    # Hidden, read-only, no macro run and no link updated (MacroExecutionMode and
    # UpdateDocMode 0: never).
    try:
        document = desktop.loadComponentFromURL(
            uno.systemPathToFileUrl(request["document"]), "_blank", 0,
            properties(Hidden=True, ReadOnly=True, MacroExecutionMode=0, UpdateDocMode=0))
    except Exception:
        document = None
    if document is None:
        return FAILED, "Error: source file could not be loaded"
    try:
        document.storeToURL(uno.systemPathToFileUrl(request["template"]),
                            properties(FilterName=request["filter"], Overwrite=True))
        return 0, ""
    except Exception as e:
        return FAILED, "Error: the template could not be stored: %s" % (getattr(e, "Message", "") or type(e).__name__)
    finally:
        try:
            document.close(True)
        except Exception:
            try:
                document.dispose()
            except Exception:
                pass


class Server:
    def __init__(self, folder, key, command):
        self.folder, self.key, self.command = folder, key, command
        self.home = os.path.join(folder, key)
        self.office = None

    def answer(self, conn):
        conn.settimeout(10)
        request = b""
        while not request.endswith(b"\n"):
            part = conn.recv(65536)
            if not part:
                return
            request += part
        request = json.loads(request)
        conn.setblocking(True)
        deadline = time.monotonic() + max(1, int(request["limit"]))

        finished_read, finished_write = os.pipe()  # the conversion wakes the wait when it ends

        def abandoned(seconds):
            """Whether the client went (its instance was ended), waiting at most `seconds` or
            until the conversion ends."""
            try:
                readable, _, _ = select.select([conn, finished_read], [], [], seconds)
                return conn in readable and not conn.recv(1, socket.MSG_PEEK)
            except OSError:
                return True

        if self.office is not None and not self.office.alive():
            self.office.end(False)
            self.office = None
        if self.office is None:
            self.office = Office(self.home, self.command, request["settings"])
        status, said = self.office.reach(deadline, abandoned)
        if status != 0:
            os.close(finished_write)
        else:
            done = {}
            def work(desktop):
                try:
                    done["result"] = convert(desktop, request)
                    os.write(finished_write, b".")
                except OSError:
                    pass
                finally:
                    os.close(finished_write)

            worker = threading.Thread(target=work, args=(self.office.desktop,), daemon=True)
            worker.start()
            while "result" not in done and status == 0:
                if abandoned(max(0, deadline - time.monotonic())):
                    status = None
                elif time.monotonic() >= deadline and "result" not in done:
                    status = OVERDUE
            if "result" in done:
                status, said = done["result"]
                if status == FAILED and not self.office.alive():
                    said = "Error: LibreOffice ended while it converted the document"
        os.close(finished_read)  # a worker still in a dead LibreOffice's call closes its own end
        reply = {"status": status, "said": said}
        if status in (0, FAILED) and self.office.alive():
            self.office.documents += 1
            reply.update(office=self.office.process.pid, documents=self.office.documents)
        else:
            # Hung, gone or never reached: that LibreOffice goes, with a profile it may have spoilt.
            self.office.end(False)
            self.office = None
            shutil.rmtree(os.path.join(self.home, "profile"), ignore_errors=True)
        if status is not None:
            try:
                conn.sendall((json.dumps(reply) + "\n").encode())
            except OSError:
                pass
        if self.office is not None and (self.office.documents >= MOST_DOCUMENTS or
                                        self.office.memory_mib() > MOST_MEMORY_MIB):
            self.office.end(True)
            self.office = None
        # The next document's LibreOffice starts while this one's template is read back.
        if self.office is None and status != NOT_FOUND:
            self.office = Office(self.home, self.command, request["settings"])

    def run(self):
        os.umask(0o077)
        path = os.path.join(self.folder, self.key + ".sock")
        listener = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        try:
            os.unlink(path)  # a server that was killed; the client starting us holds the lock
        except FileNotFoundError:
            pass
        listener.bind(path)
        listener.listen(16)
        try:
            self.serve(listener, path)
        finally:  # ended (SIGTERM) or failed: its LibreOffice goes with it
            if self.office is not None:
                self.office.end(False)

    def serve(self, listener, path):
        while select.select([listener], [], [], IDLE_SECONDS)[0]:
            self.take(listener)
        # Idle: under the lock no client starts another server, whose LibreOffice would share
        # this one's profile, until this one has ended.
        with open(os.path.join(self.folder, self.key + ".lock"), "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            os.unlink(path)
            while select.select([listener], [], [], 0)[0]:  # those that connected before
                self.take(listener)
            if self.office is not None:
                self.office.end(True)
                self.office = None
        listener.close()

    def take(self, listener):
        conn, _ = listener.accept()
        try:
            conn.sendall(b"+")
            self.answer(conn)
        except Exception:
            pass
        finally:
            conn.close()


def main():
    signal.signal(signal.SIGPIPE, signal.SIG_IGN)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    if len(sys.argv) > 2 and sys.argv[2] == "convert":  # python3 -c SOURCE SOURCE convert ...
        sys.stdout.reconfigure(line_buffering=True)
        return client(sys.argv[1], sys.argv[3:])
    if len(sys.argv) == 5 and sys.argv[1] == "serve":  # python3 bridge.py serve FOLDER KEY COMMAND
        if importlib.util.find_spec("uno") is None:
            return NO_UNO
        Server(sys.argv[2], sys.argv[3], sys.argv[4]).run()
        return 0
    print("usage: office_bridge.py SOURCE convert COMMAND LIMIT SETTINGS DOCUMENT TEMPLATE FILTER")
    return 2


sys.exit(main())
