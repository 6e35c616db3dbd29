' String operators and functions, Like.

Function T() As String
 T = "ab" & "cd"
End Function
' expect: abcd

Function T() As String
 T = "ab" + "cd"
End Function
' expect: abcd

Function T() As String
 T = "n=" & 5
End Function
' expect: n=5

Function T() As Long
 T = Len("hello")
End Function
' expect: 5

Function T() As String
 T = Left("hello", 2)
End Function
' expect: he

Function T() As String
 T = Right("hello", 3)
End Function
' expect: llo

Function T() As String
 T = Mid("hello", 2, 3)
End Function
' expect: ell

Function T() As Long
 T = InStr("hello", "l")
End Function
' expect: 3

Function T() As String
 T = UCase("MiXed")
End Function
' expect: MIXED

Function T() As String
 T = LCase("MiXed")
End Function
' expect: mixed

Function T() As String
 T = Trim("  x  ") & "|"
End Function
' expect: x|

Function T() As String
 T = Chr(65) & Asc("B")
End Function
' expect: A66

Function T() As Long
 T = Val("12") + 1
End Function
' expect: 13

Function T() As Long
 T = "a" < "b"
End Function
' expect: -1

Function T() As Long
 T = "A" = "a"
End Function
' expect: 0

Function T() As String
 T = "say ""hi"""
End Function
' expect: say "hi"

Function T() As String
 Dim s As String, i As Long
 For i = 1 To 3
  s = s & i
 Next i
 T = s
End Function
' expect: 123

' "s = s & ..." grows s in place: a copy taken before keeps its text, operands that
' read or change s see it as the expression would.
Function T() As String
 Dim s As String, u As String
 s = "a"
 s = s & "b"
 u = s
 s = s & "c"
 T = u & "|" & s
End Function
' expect: ab|abc

Function T() As String
 Dim s As String
 s = "a"
 s = s & "b"
 s = s & "-" & s & 1.5
 T = s
End Function
' expect: ab-ab1.5

Function F(x As String) As String
 x = x & "z"
 F = "!"
End Function
Function T() As String
 Dim s As String
 s = "a"
 s = s & "b"
 s = s & F(s) & s
 T = s
End Function
' expect: ab!abz

' The left operand is read before the right one runs (here changing it by reference).
Function G(x As Long) As Long
 x = 10
 G = 1
End Function
Function T()
 Dim i As Long, j As Long
 i = 2
 j = 5
 T = (i + G(i)) * 100 + i - j
End Function
' expect: 305

' A string literal's text is shared by every element it is stored in.
Function T()
 Dim a(40000) As String, i As Long
 For i = 0 To 40000
  a(i) = "x"
 Next
 T = Len(a(40000)) + UBound(a) + Len(a(0))
End Function
' expect: 40002

Function T() As String
 Dim s As String
 s = "a" Like "a"
 s = s & ("abc" Like "a*c") & ("abc" Like "a?c") & ("a1" Like "a#") & ("aX" Like "a#")
 s = s & ("b" Like "[a-c]") & ("d" Like "[!a-c]") & ("b" Like "[!a-c]") & ("abcbc" Like "*bc")
 s = s & ("ab" Like "*b*b") & ("" Like "*") & ("" Like "?") & ("abc" Like "ab") & ("x*" Like "x[*]")
 T = s
End Function
' expect: -1-1-1-10-1-10-10-100-1

' Only the last '*' is ever retried: this ends at once.
Function T()
 T = String(100, "a") Like "*a*a*a*a*a*a*b"
End Function
' expect: 0

Function T()
 T = String(3000, "a") & "b" Like "*a*a*a*a*a*a*a*a*a*a*b"
End Function
' expect: -1

' Slices read in place (InStr, StrComp, Len, Asc, a slice of a slice) give what the
' copied slice gives, at every edge.
Function T() As String
 Dim s As String, r As String
 s = "the quick brown fox"
 r = InStr(s, Mid$(s, 5, 5)) & " " & InStr(Mid$(s, 3), Left$(s, 1)) & " " & InStr(4, s, Right$(s, 3))
 r = r & " " & InStr(s, Mid$(s, 30)) & " " & InStr(Left$(s, 0), "t") & " " & InStr(Mid$(s, 17, 10), "ox")
 r = r & " " & Len(Mid$(s, 5)) & " " & Len(Left$(s, 100)) & " " & Len(Right$(s, 0)) & " " & Len(Mid$(s, 25, 2))
 r = r & " " & Asc(Mid$(s, 5, 1)) & " " & StrComp(Left$(s, 3), Mid$(s, 1, 3)) & " " & StrComp(Mid$(s, 5, 1), Right$(s, 1))
 r = r & " " & Mid$(Left$(Right$(s, 9), 5), 2, 3) & "|" & Left$(Mid$(s, 11), 20) & "|" & Mid$(12345, 2, 2)
 T = r
End Function
' expect: 5 0 17 1 0 2 15 19 0 0 113 0 -1 row|brown fox|23

Function T() As String
 Dim s As String, u As String
 s = "abc"
 u = Mid$(s, 1)
 s = s & "d"
 T = u & " " & s & " " & Left$(s, 4) & " " & Right$(s, 9)
End Function
' expect: abc abcd abcd abcd

Function T() As Long
 T = InStr("abc", Mid$("abc", 2, -1))
End Function
' error: Invalid

Function T() As Long
 T = Len(Left$("abc", -2))
End Function
' error: Invalid

Function T() As Long
 T = Asc(Mid$("abc", 4))
End Function
' error: Invalid

Function T() As Long
 T = InStr("abc", Mid$("abc", 0, 1))
End Function
' error: Invalid
