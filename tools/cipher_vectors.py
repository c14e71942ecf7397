#!/usr/bin/env python3
"""Computes stored-password vectors independently of the program's code.

Blowfish comes from the openssl command (legacy provider, ECB on single
blocks); MD5, CFB-8 and Base64 are done here from their standards. The test
of the password cipher compares the program against the output of this script.
Usage: cipher_vectors.py PASSPHRASE PLAINTEXT...
"""
import base64
import hashlib
import subprocess
import sys


def bf_ecb(key: bytes, block: bytes) -> bytes:
    out = subprocess.run(
        ["openssl", "enc", "-provider", "legacy", "-provider", "default",
         "-bf-ecb", "-nopad", "-K", key.hex()],
        input=block, capture_output=True, check=True).stdout
    return out[:8]


def encipher(passphrase: str, plain: bytes) -> str:
    key = hashlib.md5(passphrase.encode("ascii")).digest()
    register = bf_ecb(key, bytes(8))
    out = bytearray()
    for p in plain:
        c = bf_ecb(key, register)[0] ^ p
        out.append(c)
        register = register[1:] + bytes([c])
    return base64.b64encode(bytes(out)).decode("ascii")


if __name__ == "__main__":
    phrase = sys.argv[1]
    for text in sys.argv[2:]:
        print(f"{text!r}\t{encipher(phrase, text.encode('utf-8'))}")
