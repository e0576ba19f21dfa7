"""Real database engines for the end-to-end tests: start, load, run, stop.

Every engine is a small class with the same surface:
  start()                      bring the engine up (servers in a temporary directory)
  load(tables)                 create and fill the tables of the shared dataset
  run(sql, params)             execute one compiled statement with its bound texts
  stop()                       shut the engine down and remove its files

PostgreSQL and MariaDB come from Debian's packages and listen on a Unix socket only;
DuckDB, SQLite and chDB (ClickHouse) run in process.
"""

from __future__ import annotations

import glob
import json
import os
import re
import shutil
import signal
import sqlite3
import subprocess
import tempfile
import time

# Column types of the dataset, mapped onto each engine's own types.
TYPE_NAMES = {
    "duckdb": {"int": "INTEGER", "text": "VARCHAR", "money": "DECIMAL(12,2)",
               "timestamp": "TIMESTAMP", "date": "DATE", "bool": "BOOLEAN"},
    "sqlite": {"int": "INTEGER", "text": "TEXT", "money": "REAL",
               "timestamp": "TEXT", "date": "TEXT", "bool": "INTEGER"},
    "postgres": {"int": "integer", "text": "text", "money": "numeric(12,2)",
                 "timestamp": "timestamp", "date": "date", "bool": "boolean"},
    "mariadb": {"int": "INT", "text": "VARCHAR(100)", "money": "DECIMAL(12,2)",
                "timestamp": "DATETIME", "date": "DATE", "bool": "BOOLEAN"},
    "clickhouse": {"int": "Int32", "text": "String", "money": "Decimal(12,2)",
                   "timestamp": "DateTime('UTC')", "date": "Date", "bool": "Bool"},
}


class EngineError(RuntimeError):
    """The engine refused or failed a statement; the text is the engine's own message."""


class EngineUnavailable(RuntimeError):
    """The engine's software is missing on this machine."""


def _literal(value, kind: str, engine: str) -> str:
    if value is None:
        return "NULL"
    if kind == "bool":
        if engine == "sqlite":
            return "1" if value else "0"
        return "TRUE" if value else "FALSE"
    if kind == "int":
        return str(int(value))
    if kind == "money":
        return f"{value:.2f}"
    if kind == "timestamp":
        return "'" + value.strftime("%Y-%m-%d %H:%M:%S") + "'"
    if kind == "date":
        return "'" + value.strftime("%Y-%m-%d") + "'"
    return "'" + str(value).replace("'", "''") + "'"


def create_statements(engine: str, tables) -> list[str]:
    """DDL and one multi-row INSERT per table, for the given engine."""
    types = TYPE_NAMES[engine]
    statements = []
    for table in tables:
        columns = []
        for name, kind in table.columns:
            type_name = types[kind]
            if engine == "clickhouse" and name != "id":
                type_name = f"Nullable({type_name})"
            columns.append(f"{name} {type_name}")
        ddl = f"CREATE TABLE {table.name} ({', '.join(columns)})"
        if engine == "clickhouse":
            ddl += " ENGINE = MergeTree ORDER BY id"
        statements.append(ddl)
        rows = []
        for row in table.rows:
            rows.append("(" + ", ".join(
                _literal(row[name], kind, engine) for name, kind in table.columns) + ")")
        names = ", ".join(name for name, _ in table.columns)
        statements.append(f"INSERT INTO {table.name} ({names}) VALUES " + ",\n".join(rows))
    return statements


def _wait_for(predicate, timeout: float, what: str, log_path: str | None = None):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.05)
    detail = ""
    if log_path and os.path.exists(log_path):
        with open(log_path, encoding="utf-8", errors="replace") as f:
            detail = "\n" + f.read()[-4000:]
    raise RuntimeError(f"{what} did not come up within {timeout:.0f}s{detail}")


def _run_checked(args, **kwargs):
    result = subprocess.run(args, capture_output=True, text=True, **kwargs)
    if result.returncode != 0:
        raise RuntimeError(f"{' '.join(args)} failed ({result.returncode}):\n"
                           f"{result.stdout}\n{result.stderr}")
    return result


class DuckDBEngine:
    name = "duckdb"
    dialects = ("duckdb",)

    def start(self):
        try:
            import duckdb
        except ImportError as e:
            raise EngineUnavailable(f"duckdb is not installed: {e}") from e
        self.connection = duckdb.connect(":memory:")
        # Timestamps in the dataset are UTC; conversions start from there.
        self.connection.execute("SET TimeZone = 'UTC'")

    def load(self, tables):
        for statement in create_statements("duckdb", tables):
            self.connection.execute(statement)

    def run(self, sql: str, params: list[str]):
        import duckdb
        try:
            return [tuple(row) for row in self.connection.execute(sql, params).fetchall()]
        except duckdb.Error as e:
            raise EngineError(str(e)) from e

    def stop(self):
        self.connection.close()


class SQLiteEngine:
    name = "sqlite"
    dialects = ("sqlite",)

    def start(self):
        self.connection = sqlite3.connect(":memory:")

    def load(self, tables):
        for statement in create_statements("sqlite", tables):
            self.connection.execute(statement)
        self.connection.commit()

    def run(self, sql: str, params: list[str]):
        try:
            return [tuple(row) for row in self.connection.execute(sql, params).fetchall()]
        except sqlite3.Error as e:
            raise EngineError(str(e)) from e

    def stop(self):
        self.connection.close()


def _postgres_bin_dir() -> str:
    candidates = sorted(glob.glob("/usr/lib/postgresql/*/bin/postgres"),
                        key=lambda p: int(p.split("/")[4]))
    if not candidates:
        raise EngineUnavailable("PostgreSQL server binaries not found in /usr/lib/postgresql")
    return os.path.dirname(candidates[-1])


def _as_user(user: str, args: list[str]) -> list[str]:
    """Servers refuse to run as root; run them as their package's system user."""
    if os.geteuid() == 0:
        return ["runuser", "-u", user, "--"] + args
    return args


def _private_dir(prefix: str, owner: str) -> str:
    path = tempfile.mkdtemp(prefix=prefix)
    if os.geteuid() == 0:
        shutil.chown(path, owner, owner)
    os.chmod(path, 0o755)
    return path


class PostgresEngine:
    """PostgreSQL in a fresh cluster listening on a Unix socket only.

    `$n` placeholders are bound natively: the statement goes to the server as is, with
    the parameters sent beside it as untyped text, the server inferring their types."""

    name = "postgres"
    dialects = ("postgres", "redshift")

    def start(self):
        try:
            import psycopg  # noqa: F401
        except ImportError as e:
            raise EngineUnavailable(f"psycopg is not installed: {e}") from e
        bin_dir = _postgres_bin_dir()
        self.root = _private_dir("orvane-pg-", "postgres")
        self.data = os.path.join(self.root, "data")
        self.log = os.path.join(self.root, "server.log")
        _run_checked(_as_user("postgres", [
            f"{bin_dir}/initdb", "-D", self.data, "-U", "postgres", "-A", "trust",
            "-E", "UTF8", "--locale=C", "--no-sync"]))
        options = (f"-k {self.root} -c listen_addresses='' -c fsync=off "
                   "-c synchronous_commit=off -c full_page_writes=off -c TimeZone=UTC")
        _run_checked(_as_user("postgres", [
            f"{bin_dir}/pg_ctl", "-D", self.data, "-l", self.log, "-o", options,
            "-w", "-t", "60", "start"]))
        self.bin_dir = bin_dir
        import psycopg
        self.connection = psycopg.connect(host=self.root, user="postgres", dbname="postgres",
                                          autocommit=True)

    def load(self, tables):
        with self.connection.cursor() as cursor:
            for statement in create_statements("postgres", tables):
                cursor.execute(statement)

    def run(self, sql: str, params: list[str]):
        import psycopg
        pgconn = self.connection.pgconn
        result = pgconn.exec_params(sql.encode(), [p.encode() for p in params])
        if result.status != psycopg.pq.ExecStatus.TUPLES_OK:
            message = result.error_message.decode(errors="replace").strip()
            raise EngineError(message)
        return _postgres_rows(result)

    def stop(self):
        try:
            self.connection.close()
        finally:
            subprocess.run(_as_user("postgres", [
                f"{self.bin_dir}/pg_ctl", "-D", self.data, "-m", "immediate", "-w", "stop"]),
                capture_output=True)
            shutil.rmtree(self.root, ignore_errors=True)


def _postgres_rows(result):
    """Text-format result rows, typed by the column's type as the server reports it."""
    from decimal import Decimal
    import datetime as dt

    bool_oid, int_oids, float_oids, numeric_oid = 16, {20, 21, 23, 26}, {700, 701}, 1700
    date_oid, timestamp_oids = 1082, {1114, 1184}

    def convert(raw, oid):
        if raw is None:
            return None
        text = raw.decode()
        if oid == bool_oid:
            return text == "t"
        if oid in int_oids:
            return int(text)
        if oid in float_oids:
            return float(text)
        if oid == numeric_oid:
            return Decimal(text)
        if oid == date_oid:
            return dt.date.fromisoformat(text)
        if oid in timestamp_oids:
            return dt.datetime.fromisoformat(text)
        return text

    oids = [result.ftype(i) for i in range(result.nfields)]
    return [tuple(convert(result.get_value(r, c), oids[c]) for c in range(result.nfields))
            for r in range(result.ntuples)]


class MariaDBEngine:
    """MariaDB with a temporary data directory and a Unix socket, no TCP.

    `?` placeholders are bound on the server: PREPARE, one user variable per value,
    EXECUTE ... USING."""

    name = "mariadb"
    dialects = ("mysql", "domo")

    def start(self):
        try:
            import pymysql  # noqa: F401
        except ImportError as e:
            raise EngineUnavailable(f"pymysql is not installed: {e}") from e
        server = shutil.which("mariadbd") or "/usr/sbin/mariadbd"
        install = shutil.which("mariadb-install-db")
        if not os.path.exists(server) or not install:
            raise EngineUnavailable("MariaDB server (mariadbd, mariadb-install-db) not installed")
        self.root = _private_dir("orvane-mariadb-", "mysql")
        self.data = os.path.join(self.root, "data")
        self.socket = os.path.join(self.root, "mysqld.sock")
        self.log = os.path.join(self.root, "server.log")
        user = "mysql" if os.geteuid() == 0 else os.environ.get("USER", "")
        _run_checked([install, "--no-defaults", f"--datadir={self.data}", f"--user={user}",
                      "--auth-root-authentication-method=normal", "--skip-test-db",
                      "--skip-name-resolve"])
        self.process = subprocess.Popen(
            [server, "--no-defaults", f"--datadir={self.data}", f"--socket={self.socket}",
             "--skip-networking", f"--user={user}", f"--log-error={self.log}",
             f"--pid-file={os.path.join(self.root, 'mysqld.pid')}",
             "--innodb-buffer-pool-size=64M", "--innodb-flush-log-at-trx-commit=0",
             "--skip-log-bin", "--character-set-server=utf8mb4", "--default-time-zone=+00:00"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _wait_for(lambda: os.path.exists(self.socket) or self.process.poll() is not None,
                  60, "MariaDB", self.log)
        if self.process.poll() is not None:
            raise RuntimeError("MariaDB exited during startup:\n" + open(self.log).read()[-4000:])
        import pymysql
        self.connection = pymysql.connect(unix_socket=self.socket, user="root",
                                          autocommit=True, charset="utf8mb4")
        self._load_time_zones()
        with self.connection.cursor() as cursor:
            cursor.execute("CREATE DATABASE shop")
            cursor.execute("USE shop")

    def _load_time_zones(self):
        """Named zones need the server's zone tables, filled from the system's zoneinfo
        as every installation of this server does once."""
        tool = shutil.which("mariadb-tzinfo-to-sql") or shutil.which("mysql_tzinfo_to_sql")
        client = shutil.which("mariadb") or shutil.which("mysql")
        if not tool or not client or not os.path.isdir("/usr/share/zoneinfo"):
            return
        sql = subprocess.run([tool, "/usr/share/zoneinfo"], capture_output=True,
                             text=True).stdout
        subprocess.run([client, "--no-defaults", f"--socket={self.socket}", "-uroot", "mysql"],
                       input=sql, capture_output=True, text=True)

    def load(self, tables):
        with self.connection.cursor() as cursor:
            for statement in create_statements("mariadb", tables):
                cursor.execute(statement)

    def run(self, sql: str, params: list[str]):
        import pymysql
        try:
            with self.connection.cursor() as cursor:
                cursor.execute("PREPARE orvane_statement FROM %s", (sql,))
                names = []
                for i, value in enumerate(params):
                    cursor.execute(f"SET @orvane_p{i} = %s", (value,))
                    names.append(f"@orvane_p{i}")
                using = f" USING {', '.join(names)}" if names else ""
                cursor.execute("EXECUTE orvane_statement" + using)
                rows = [tuple(row) for row in cursor.fetchall()]
                cursor.execute("DEALLOCATE PREPARE orvane_statement")
                return rows
        except pymysql.MySQLError as e:
            raise EngineError(f"({e.args[0]}) {e.args[1]}" if len(e.args) > 1 else str(e)) from e

    def stop(self):
        try:
            self.connection.close()
        except Exception:
            pass
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.root, ignore_errors=True)


_PLACEHOLDER = re.compile(r"\$(\d+)")


def clickhouse_literal(value: str) -> str:
    return "'" + value.replace("\\", "\\\\").replace("'", "\\'") + "'"


def substitute_placeholders(sql: str, params: list[str]) -> str:
    """ClickHouse has no positional binding: write each bound text as an escaped literal."""
    return _PLACEHOLDER.sub(lambda m: clickhouse_literal(params[int(m.group(1)) - 1]), sql)


class ClickHouseEngine:
    """ClickHouse in process through chDB, with its data in a temporary directory."""

    name = "clickhouse"
    dialects = ("clickhouse",)

    def start(self):
        try:
            from chdb import session
        except ImportError as e:
            raise EngineUnavailable(f"chdb is not installed: {e}") from e
        self.root = tempfile.mkdtemp(prefix="orvane-chdb-")
        self.session = session.Session(self.root)
        self.session.query("CREATE DATABASE IF NOT EXISTS shop")
        self.session.query("USE shop")

    def load(self, tables):
        for statement in create_statements("clickhouse", tables):
            self.session.query(statement)

    def run(self, sql: str, params: list[str]):
        try:
            result = self.session.query(substitute_placeholders(sql, params), "JSONCompact")
        except Exception as e:
            raise EngineError(str(e)) from e
        text = result.bytes().decode() if hasattr(result, "bytes") else str(result)
        if not text.strip():
            return []
        return [tuple(row) for row in json.loads(text)["data"]]

    def stop(self):
        try:
            self.session.close()
        finally:
            shutil.rmtree(self.root, ignore_errors=True)


ENGINES = {
    "duckdb": DuckDBEngine,
    "sqlite": SQLiteEngine,
    "postgres": PostgresEngine,
    "mariadb": MariaDBEngine,
    "clickhouse": ClickHouseEngine,
}
