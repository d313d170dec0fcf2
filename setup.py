"""The Python package's front end for pip: `pip install --no-build-isolation .`
builds the extension module with the project's own CMake (the build `make`
runs, limited to the module) and installs it with the package's Python
files, stubs and the pytest plugin's entry point. Offline: it needs only
Debian's cmake, g++, pybind11-dev, python3-dev, python3-setuptools and
python3-wheel."""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent
# Build products beside make's build folders, not in the sources.
BUILD_BASE = ROOT / "build-python"
BUILD_BASE.mkdir(exist_ok=True)


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(zudiz VERSION ([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    """Builds zudiz._zudiz with CMake for the running interpreter."""

    def build_extension(self, ext):
        build = Path(self.build_temp).resolve() / "cmake"
        subprocess.run(
            [
                "cmake", "-S", str(ROOT), "-B", str(build),
                "-DCMAKE_BUILD_TYPE=Release",
                "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG",
                "-DZUDIZ_TESTS=OFF", "-DZUDIZ_BENCH=OFF", "-DZUDIZ_PYTHON=ON",
                f"-DPython3_EXECUTABLE={sys.executable}",
            ],
            check=True,
        )
        subprocess.run(
            ["cmake", "--build", str(build), "--target", "zudiz_python",
             "-j", str(os.cpu_count() or 1)],
            check=True,
        )
        built = next((build / "python" / "zudiz").glob("_zudiz.*"))
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    name="zudiz",
    version=project_version(),
    description="Compares VAV report files; a pytest plugin for report baselines",
    license="MIT",
    python_requires=">=3.9",
    package_dir={"": "src/python"},
    packages=["zudiz"],
    package_data={"zudiz": ["__init__.pyi", "py.typed"]},
    ext_modules=[Extension("zudiz._zudiz", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    entry_points={"pytest11": ["zudiz = zudiz.pytest_plugin"]},
    zip_safe=False,
    options={"build": {"build_base": str(BUILD_BASE)},
             "egg_info": {"egg_base": str(BUILD_BASE)}},
)
