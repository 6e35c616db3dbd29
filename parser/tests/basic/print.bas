' Print without an object: zones every 14 columns, Tab and Spc, numbers as "%g" shows them.
Function T()
 Print 1, 2
End Function
' prints: 1             2

Function T()
 Print "abcdefghijklmn", "x"
 Print "abcdefghijklm", "x"
End Function
' prints: abcdefghijklmn              x
' prints: abcdefghijklm x

Function T()
 Print "ab"; Tab(10); "c"
 Print "abcdef"; Tab(3); "x"
 Print Tab(0); "l"; Tab(1); "m"
 Print "abc"; Tab(4); "d"
End Function
' prints: ab       c
' prints: abcdef
' prints:   x
' prints: l
' prints: m
' prints: abcd

Function T()
 Print "a"; Spc(3); "b"; Spc(0); "c"
End Function
' prints: a   bc

Function T()
 Dim s As Single, i As Integer, c As Currency
 s = 3.5
 i = -4
 c = 2.5
 Print 1 / 3; " "; s; " "; 1E+20; " "; i; " "; c; " "; 100000
End Function
' prints: 0.333333 3.5 1e+20 -4 2.5 100000

Function T()
 Print "a";
 Print "b"
 Print
 Print "c"
End Function
' prints: ab
' prints: 
' prints: c
